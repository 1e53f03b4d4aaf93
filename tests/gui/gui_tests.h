#pragma once
// The groups of window tests; each returns its number of failed cases.
namespace ferrolin::test {
int RunJobEditorFlowTests(int argc, char** argv);
int RunWindowLayoutTests(int argc, char** argv);
int RunSendTimeFlowTests(int argc, char** argv);
int RunRunFlowTests(int argc, char** argv);
int RunTimeSyncFlowTests(int argc, char** argv);
int RunFtpWindowFlowTests(int argc, char** argv);
int RunFtpWindowJobTests(int argc, char** argv);
int RunRasWindowFlowTests(int argc, char** argv);
}  // namespace ferrolin::test
