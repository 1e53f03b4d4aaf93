#pragma once
// What the core needs from a face (the Qt window, the command line, a test): the few
// things the program shows or asks. The core never includes Qt; the faces implement this.
#include <string>
#include <string_view>

namespace ferrolin {

enum class Answer { Yes, No, Cancel, Abort, Ok };

// Which buttons a question offers.
enum class Buttons { YesNo, YesNoCancel, YesNoAbort, Ok };

class Surfaces {
public:
    virtual ~Surfaces() = default;

    // Status bar panel 0.
    virtual void SetStatusText(std::string_view text) = 0;
    // One line appended to the "Errors" list.
    virtual void AppendError(std::string_view line) = 0;
    // The progress gauge: position 0-100 and the text drawn over it.
    virtual void SetGauge(int position, std::string_view text) = 0;
    virtual std::string GaugeText() const = 0;
    // The main window's caption.
    virtual void SetCaption(std::string_view caption) = 0;
    // The job list: enabled or not, and the selected line (-1 = none).
    virtual void SetJobListEnabled(bool enabled) = 0;
    virtual void SelectJobLine(int index) = 0;
    // Station::Jobs (names, check marks, number of lines) changed; show it again.
    virtual void JobListChanged() {}
    // Station::Editor (and the editor's Ras choice and delay field) changed.
    virtual void JobEditorChanged() {}
    // Station::Editing changed: the job editor switched between viewing and editing.
    virtual void EditingChanged() {}
    // The large next-start label of the "Status" tab ("working...", "finished", a time).
    virtual void SetNextStartText(std::string_view text) = 0;
    // Process pending window messages; the core calls it between files and inside waits.
    virtual void ProcessMessages() = 0;
    // A modal warning question. Faces without an operator answer with the
    // non-interactive choice.
    virtual Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) = 0;
    // A folder-selection dialog starting at startFolder; empty when cancelled.
    virtual std::string PickFolder(std::string_view startFolder) = 0;

    // The automatic mode's surfaces. Faces without them keep the defaults (show nothing).
    // The "Next:" label of the "Send time" tab (the next start, NextFu10).
    virtual void SetNextFu10Text(std::string_view) {}
    // The caption of the "connected" box (the watchdog's countdown).
    virtual void SetConnectedCaption(std::string_view) {}
    // The Cancel button, shown only during runs.
    virtual void SetCancelVisible(bool) {}
    // Minimise the application ("Minimize" before an automatic run).
    virtual void MinimizeApplication() {}
    // Whether the progress gauge is shown (it is refreshed only then).
    virtual bool GaugeVisible() const { return true; }
};

// A face that shows nothing and answers every question with the first "no" it offers
// (No, or Ok for a message). Used where the core runs without a face.
class NullSurfaces : public Surfaces {
public:
    void SetStatusText(std::string_view) override {}
    void AppendError(std::string_view) override {}
    void SetGauge(int, std::string_view) override {}
    std::string GaugeText() const override { return {}; }
    void SetCaption(std::string_view) override {}
    void SetJobListEnabled(bool) override {}
    void SelectJobLine(int) override {}
    void SetNextStartText(std::string_view) override {}
    void ProcessMessages() override {}
    Answer Ask(std::string_view, std::string_view, Buttons buttons) override {
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::string PickFolder(std::string_view) override { return {}; }
};

}  // namespace ferrolin
