#pragma once
// The About box: what the program is, its version, and an "OK" button.
#include <QDialog>

namespace ferrolin::gui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace ferrolin::gui
