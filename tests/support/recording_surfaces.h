#pragma once
// A Surfaces for tests: records everything the core shows and asks, and answers
// questions with a chosen answer.
#include <string>
#include <vector>

#include "common/surfaces.h"

namespace ferrolin::test {

class RecordingSurfaces : public Surfaces {
public:
    struct Question {
        std::string caption;
        std::string text;
        Buttons buttons;
    };

    void SetStatusText(std::string_view text) override { statusTexts.emplace_back(text); }
    void AppendError(std::string_view line) override { errors.emplace_back(line); }
    void SetGauge(int position, std::string_view text) override {
        gaugePosition = position;
        gaugeText = std::string(text);
    }
    std::string GaugeText() const override { return gaugeText; }
    void SetCaption(std::string_view caption) override { this->caption = std::string(caption); }
    void SetJobListEnabled(bool enabled) override { jobListEnabled = enabled; }
    void SelectJobLine(int index) override { selectedLines.push_back(index); }
    void SetNextStartText(std::string_view text) override { nextStartText = std::string(text); }
    void JobListChanged() override { ++jobListChanges; }
    void JobEditorChanged() override { ++editorChanges; }
    void ProcessMessages() override { ++processMessagesCalls; }
    Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override {
        questions.push_back({std::string(caption), std::string(text), buttons});
        return answer;
    }
    std::string PickFolder(std::string_view) override { return pickedFolder; }

    // What the next questions are answered with, and the folder a pick returns.
    Answer answer = Answer::Yes;
    std::string pickedFolder;

    std::vector<std::string> statusTexts;
    std::vector<std::string> errors;
    std::vector<Question> questions;
    std::vector<int> selectedLines;
    int gaugePosition = 0;
    std::string gaugeText;
    std::string caption;
    std::string nextStartText;
    bool jobListEnabled = true;
    int jobListChanges = 0;
    int editorChanges = 0;
    int processMessagesCalls = 0;
};

}  // namespace ferrolin::test
