// ferrolin: the desktop program. The main window first, then the About box; the message
// loop runs until the main window closes.
#include <QApplication>

#include "gui/about_box.h"
#include "gui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ferrolin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ferrolin"));
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    // Only the desktop program sets the computer's clock; the window alone (as the tests
    // create it) keeps the core's refusing setter.
    ferrolin::gui::MainWindow window(ferrolin::ProgramStart());
    ferrolin::gui::AboutBox about(&window);
    window.SetAboutBox(&about);
    window.show();
    return QApplication::exec();
}
