#pragma once
// A face that records what the core shows and answers questions from a script, and a
// process control that never restarts or ends anything.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/process_control.h"
#include "common/surfaces.h"
#include "support/recording_surfaces.h"

namespace ferrolin::test {

// The shared recording face, plus the automatic mode's surfaces and a script of answers.
class ScheduleSurfaces : public RecordingSurfaces {
public:
    ScheduleSurfaces() { answer = Answer::No; }
    Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override {
        asked.push_back(std::string(caption) + ": " + std::string(text));
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        } else {
            answer = buttons == Buttons::Ok ? Answer::Ok : Answer::No;
        }
        return RecordingSurfaces::Ask(caption, text, buttons);
    }
    void SetNextFu10Text(std::string_view text) override { nextFu10 = text; }
    void SetConnectedCaption(std::string_view text) override { connected = text; }
    void SetCancelVisible(bool visible) override { cancelVisible = visible; }
    void MinimizeApplication() override { ++minimized; }
    void SetGauge(int position, std::string_view text) override {
        RecordingSurfaces::SetGauge(position, text);
        ++gaugeUpdates;
    }
    void ProcessMessages() override {
        RecordingSurfaces::ProcessMessages();
        if (onProcessMessages) onProcessMessages();
    }

    std::deque<Answer> answers;
    std::vector<std::string> asked;  // "caption: text"
    std::string nextFu10;
    std::string connected = "connected";
    bool cancelVisible = false;
    int minimized = 0;
    int gaugeUpdates = 0;
    std::function<void()> onProcessMessages;
};

class FakeProcessControl : public platform::ProcessControl {
public:
    bool SelfRestart(const std::string& programDir) override {
        restartFolders.push_back(programDir);
        return selfRestartWorks;
    }
    int SelfRestartExitCode() const override { return 0; }
    bool EnableShutdownPrivilege() override {
        ++privilegeChecks;
        return privileged;
    }
    bool RequestReboot() override {
        ++rebootRequests;
        return true;
    }
    void EndProcess(int exitCode) override { endedWith.push_back(exitCode); }

    bool selfRestartWorks = true;
    bool privileged = true;
    std::vector<std::string> restartFolders;
    int privilegeChecks = 0;
    int rebootRequests = 0;
    std::vector<int> endedWith;
};

}  // namespace ferrolin::test
