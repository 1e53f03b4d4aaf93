#pragma once
// The "Errors" tab: the error list the run reports to, and "Reset", which empties it and
// the status text.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace ferrolin::gui {

class ErrorsPage : public QWidget {
    Q_OBJECT
public:
    explicit ErrorsPage(QWidget* parent = nullptr);

    QPlainTextEdit* Errors = nullptr;
    QPushButton* Status = nullptr;

    void OnReset();

signals:
    // After "Reset" emptied the list: the frame empties the status text.
    void reset();
};

}  // namespace ferrolin::gui
