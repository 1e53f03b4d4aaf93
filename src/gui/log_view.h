#pragma once
// The event log shown read-only inside the program, for desktops without a windowed
// viewer for it: opened scrolled to its end, where the latest lines are.
#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace ferrolin::gui {

class LogView : public QDialog {
    Q_OBJECT
  public:
    explicit LogView(QWidget* parent = nullptr);

    // Shows text (the whole log) and scrolls to its last line.
    void ShowText(const std::string& text, const std::string& fileName);

    QPlainTextEdit* Text = nullptr;
};

}  // namespace ferrolin::gui
