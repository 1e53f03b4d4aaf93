#pragma once
// The window's face for the core: status bar, error list, gauge, caption, job list,
// the labels of the automatic mode, message boxes and the folder dialog.
// Questions and folder picks can be answered by a test instead of a modal dialog.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "common/surfaces.h"
#include "gui/gauge_widget.h"

namespace ferrolin::gui {

class QtSurfaces : public Surfaces {
  public:
    // The widgets the core writes to; all belong to the main window.
    struct Widgets {
        QWidget* window = nullptr;
        QLabel* statusPanel0 = nullptr;
        QPlainTextEdit* errors = nullptr;
        GaugeWidget* gauge = nullptr;
        QListWidget* jobList = nullptr;
        QLabel* nextStart = nullptr;
        QLabel* nextFu10 = nullptr;
        QCheckBox* connected = nullptr;
        QPushButton* cancelCopy = nullptr;
    };
    // What the window does when the core says its lists or the editor changed.
    struct Reactions {
        std::function<void()> jobListChanged;
        std::function<void()> jobEditorChanged;
        std::function<void()> editingChanged;
        std::function<void(int)> jobLineSelected;
        // The Cancel button came or went: a run of the job list started or ended.
        std::function<void(bool)> cancelVisibleChanged;
    };
    using Answerer =
        std::function<Answer(std::string_view caption, std::string_view text, Buttons buttons)>;
    using FolderPicker = std::function<std::string(std::string_view startFolder)>;

    QtSurfaces() = default;
    void Attach(const Widgets& widgets, Reactions reactions);

    // Test seams: answer questions and folder picks without modal dialogs.
    void SetAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }
    void SetFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }

    void SetStatusText(std::string_view text) override;
    void AppendError(std::string_view line) override;
    void SetGauge(int position, std::string_view text) override;
    std::string GaugeText() const override;
    void SetCaption(std::string_view caption) override;
    void SetJobListEnabled(bool enabled) override;
    void SelectJobLine(int index) override;
    void JobListChanged() override;
    void JobEditorChanged() override;
    void EditingChanged() override;
    void SetNextStartText(std::string_view text) override;
    void ProcessMessages() override;
    Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override;
    std::string PickFolder(std::string_view startFolder) override;
    void SetNextFu10Text(std::string_view text) override;
    void SetConnectedCaption(std::string_view caption) override;
    void SetCancelVisible(bool visible) override;
    void MinimizeApplication() override;
    bool GaugeVisible() const override;

  private:
    Widgets w_;
    Reactions reactions_;
    Answerer answerer_;
    FolderPicker picker_;
};

// Qt text from the core's UTF-8 and back.
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string U(const QString& text) {
    return text.toStdString();
}

}  // namespace ferrolin::gui
