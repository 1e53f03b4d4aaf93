// Runs the groups of window tests in one program on the offscreen platform: every group,
// or with "--group NAME" only that one (ctest gives each group an entry of its own).
// Further arguments go to QtTest.
#include <QApplication>
#include <QFont>

#include <cstring>
#include <vector>

#include "gui_tests.h"

namespace {

struct Group {
    const char* name;
    int (*run)(int, char**);
};

const Group kGroups[] = {
    {"JobEditorFlow", ferrolin::test::RunJobEditorFlowTests},
    {"WindowLayout", ferrolin::test::RunWindowLayoutTests},
    {"SendTimeFlow", ferrolin::test::RunSendTimeFlowTests},
    {"RunFlow", ferrolin::test::RunRunFlowTests},
    {"TimeSyncFlow", ferrolin::test::RunTimeSyncFlowTests},
    {"FtpWindowFlow", ferrolin::test::RunFtpWindowFlowTests},
    {"FtpWindowJob", ferrolin::test::RunFtpWindowJobTests},
    {"RasWindowFlow", ferrolin::test::RunRasWindowFlowTests},
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const char* only = nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (args.size() >= 3 && std::strcmp(args[1], "--group") == 0) {
        only = args[2];
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    QApplication app(count, args.data());
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    int failed = 0;
    bool ran = false;
    for (const Group& group : kGroups) {
        if (only != nullptr && std::strcmp(only, group.name) != 0) continue;
        failed += group.run(count, args.data());
        ran = true;
    }
    return failed == 0 && ran ? 0 : 1;
}
