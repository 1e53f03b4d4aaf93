// Runs every group of window tests in one program on the offscreen platform.
#include <QApplication>
#include <QFont>

#include "gui_tests.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    int failed = 0;
    failed += ferrolin::test::RunJobEditorFlowTests(argc, argv);
    failed += ferrolin::test::RunWindowLayoutTests(argc, argv);
    failed += ferrolin::test::RunSendTimeFlowTests(argc, argv);
    failed += ferrolin::test::RunRunFlowTests(argc, argv);
    failed += ferrolin::test::RunTimeSyncFlowTests(argc, argv);
    failed += ferrolin::test::RunFtpWindowFlowTests(argc, argv);
    failed += ferrolin::test::RunFtpWindowJobTests(argc, argv);
    failed += ferrolin::test::RunRasWindowFlowTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
