// Where the FTP session shows what it does: status texts on the status bar handed over
// (or the FTP window's own while there is none), progress on the gauge handed over (or
// nowhere), and the window's debug list emptied on request. No server is needed: the
// operations fail without a connection, which is what shows their texts.
#include <gtest/gtest.h>

#include "ftp_session_fixture.h"

namespace ferrolin::test {
namespace {

// What the FTP window would show.
struct RecordingView : FtpSessionView {
    void StatusTextChanged(std::string_view text) override { statusTexts.emplace_back(text); }
    void DebugListCleared() override { ++debugClears; }
    std::vector<std::string> statusTexts;
    int debugClears = 0;
};

class FtpSessionWiring : public testing::Test {
  protected:
    FtpSessionWiring() { session_.SetView(&view_); }
    ~FtpSessionWiring() override { session_.SetView(nullptr); }
    // An upload that cannot start: it shows its file name on the gauge, then fails.
    void FailedUpload() { session_.SendFile(local_ / "missing.bin", "/missing.bin", 10); }

    RecordingSurfaces pump_;  // the face that pumps messages
    RecordingSurfaces main_;  // the main window's status bar and gauge
    RecordingView view_;
    FtpSession session_{pump_};
    TempDir local_;
};

TEST_F(FtpSessionWiring, BeforeTheHandOverTextsGoToTheWindowAndNoGaugeIsShown) {
    session_.ChangeDir("/x", true);
    FailedUpload();
    ASSERT_EQ(view_.statusTexts.size(), 2u);
    EXPECT_EQ(view_.statusTexts[0], "ChangeDir failed");
    EXPECT_EQ(view_.statusTexts[1].rfind("Exception: ", 0), 0u) << view_.statusTexts[1];
    EXPECT_TRUE(pump_.statusTexts.empty());
    EXPECT_EQ(pump_.gaugeText, "");
    EXPECT_GT(pump_.processMessagesCalls, 0);  // the waits still pump the face
}

TEST_F(FtpSessionWiring, AfterTheHandOverTheMainWindowShowsThemUntilDetached) {
    AttachToFace(session_, main_);
    FailedUpload();
    EXPECT_TRUE(view_.statusTexts.empty());
    ASSERT_EQ(main_.statusTexts.size(), 1u);
    EXPECT_NE(main_.statusTexts[0].find(" at send file:" + (local_ / "missing.bin")),
              std::string::npos)
        << main_.statusTexts[0];
    EXPECT_EQ(main_.gaugeText, "missing.bin");
    EXPECT_EQ(main_.gaugePosition, 0);
    EXPECT_TRUE(pump_.statusTexts.empty());

    // None selects the window's own status bar again; the gauge stays.
    session_.SetStatusbar(nullptr);
    session_.ReceiveFile("/dir/remote.bin", local_ / "remote.bin", 5);
    EXPECT_EQ(view_.statusTexts,
              std::vector<std::string>{"Exception at receive file: /dir/remote.bin"});
    EXPECT_EQ(main_.statusTexts.size(), 1u);
    EXPECT_EQ(main_.gaugeText, "remote.bin");
}

TEST_F(FtpSessionWiring, DebugListIsClearedOnlyOnRequest) {
    session_.ChangeDir("/x", true);
    FailedUpload();
    EXPECT_EQ(view_.debugClears, 0);
    session_.ClearDebugList();
    EXPECT_EQ(view_.debugClears, 1);
    session_.SetView(nullptr);
    session_.ClearDebugList();  // no window open: nothing to clear, nothing breaks
    EXPECT_EQ(view_.debugClears, 1);
}

}  // namespace
}  // namespace ferrolin::test
