#pragma once
// A main window over a temporary program folder for one test: timers stopped (the tests
// tick by hand), questions and folder picks answered from a script, a clock the test sets.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "config/profile_file.h"
#include "gui/main_window.h"
#include "platform/process_control.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

class NoRestarts : public platform::ProcessControl {
public:
    bool SelfRestart(const std::string&) override { return false; }
    int SelfRestartExitCode() const override { return 0; }
    bool EnableShutdownPrivilege() override { return false; }
    bool RequestReboot() override { return false; }
    void EndProcess(int exitCode) override { endedWith = exitCode; }
    int endedWith = -1;
};

class WindowFixture {
public:
    // Monday 2026-12-07 10:00:00 unless the test sets another moment.
    WindowFixture() : clock(EncodeDate(2026, 12, 7) + EncodeTime(10, 0, 0)) {}
    ~WindowFixture() {
        if (window) window->close();
    }

    // Writes Ferrolin.INI (when given), creates and shows the window.
    gui::MainWindow& Start(const std::string& ini = {}) {
        if (!ini.empty()) WriteFile(dir / "Ferrolin.INI", ini);
        window = std::make_unique<gui::MainWindow>(StationStart{
            .programDir = dir.path(), .process = &process, .clock = &clock, .setsClock = false});
        window->AutoModeTimer->stop();
        window->WatchdogTimer->stop();
        window->surfaces().SetAnswerer(
            [this](std::string_view caption, std::string_view text, Buttons buttons) {
                questions.push_back(std::string(caption) + ": " + std::string(text));
                if (answers.empty()) return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
                const Answer next = answers.front();
                answers.pop_front();
                return next;
            });
        window->surfaces().SetFolderPicker([this](std::string_view start) {
            pickStarts.emplace_back(start);
            return pickedFolder;
        });
        window->show();
        return *window;
    }

    std::string Ini(const std::string& section, const std::string& key) const {
        return ProfileFile(dir / "Ferrolin.INI").ReadString(section, key, "<absent>");
    }
    std::vector<std::string> Keys(const std::string& section) const {
        return ProfileFile(dir / "Ferrolin.INI").ReadKeyNames(section);
    }
    std::vector<std::string> Sections() const {
        return ProfileFile(dir / "Ferrolin.INI").ReadSectionNames();
    }

    TempDir dir;
    NoRestarts process;
    FakeClock clock;
    std::unique_ptr<gui::MainWindow> window;
    std::deque<Answer> answers;
    std::vector<std::string> questions;  // "caption: text"
    std::string pickedFolder;
    std::vector<std::string> pickStarts;
};

// A job section with a name, folders and a check mark; other keys take their defaults.
inline std::string JobSection(int n, const std::string& name, bool active = true,
                              const std::string& extra = {}) {
    return "[Kopf" + std::to_string(n) + "]\nName=" + name + "\nSendeVerzeichnis=/src/" + name +
           "\nEmpfangsVerzeichnis=/dst/" + name + "\nActive=" + (active ? "1" : "0") + "\n" +
           extra;
}

}  // namespace ferrolin::test
