// The include check over small source trees: each forbidden arrow makes it fail and name
// the line, and the project's own tree passes. A face may name the station, itself and the
// lower data headers the checker lists by name, nothing else below the station.
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

const std::string kScript = std::string(FERROLIN_SOURCE_DIR) + "/scripts/check-layers.sh";

class LayerCheck : public ::testing::Test {
  protected:
    // A tree whose every include is allowed.
    void SetUp() override {
        test::WriteFile(dir / "gui/window.cpp",
                        "#include <QWidget>\n#include \"gui/page.h\"\n"
                        "#include \"station/station.h\"\n");
        test::WriteFile(dir / "cli/main.cpp",
                        "#include <string>\n#include \"cli/commands.h\"\n"
                        "#include \"common/log.h\"\n"
                        "#include \"version.h\"\n"
                        "#include \"remote/time_sync.h\"\n");
        test::WriteFile(dir / "station/station.h",
                        "#include \"schedule/auto_mode.h\"\n"
                        "#include \"platform/fs.h\"\n");
        test::WriteFile(dir / "engine/run.cpp", "#include \"files/file_copy.h\"\n");
    }
    test::CommandResult Check() { return test::RunCommand({kScript, dir.path()}); }
    void Add(const std::string& file, const std::string& line) {
        test::WriteFile(dir / file, test::ReadFile(dir / file) + line + "\n");
    }
    test::TempDir dir;
};

TEST_F(LayerCheck, TheProjectAndAnAllowedTreePass) {
    EXPECT_EQ(test::RunCommand({kScript}).exitCode, 0);
    const test::CommandResult result = Check();
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

TEST_F(LayerCheck, FacesThatReachBelowTheStationFail) {
    struct Case {
        std::string file, line;
    } cases[] = {
        {"gui/window.cpp", "#include \"common/log_rotation.h\""},
        {"gui/window.cpp", "#include \"common/logXh\""},
        {"gui/window.cpp", "#include \"platform/fs.h\""},
        {"gui/window.cpp", "#include \"cli/commands.h\""},
        {"gui/window.cpp", "#include <config/transfer_job.h>"},
        {"cli/main.cpp", "  #  include \"my_version.h\""},
        {"cli/main.cpp", "#include \"remote/time_sync_client.h\""},
        {"cli/main.cpp", "#include \"engine/run_texts.h\""},
        {"engine/run.cpp", "#include \"station/station.h\""},
        {"station/station.h", "#include <QString>"},
    };
    for (const Case& c : cases) {
        SetUp();
        ASSERT_EQ(Check().exitCode, 0);
        Add(c.file, c.line);
        const test::CommandResult result = Check();
        EXPECT_EQ(result.exitCode, 1) << c.line;
        EXPECT_NE(result.output.find(c.file + ":"), std::string::npos) << result.output;
    }
}

// Remote sits below the engine beside files; protocols use only common and platform.
TEST_F(LayerCheck, LowerLayersThatReachSidewaysOrUpFail) {
    struct Case {
        std::string file, line;
    } cases[] = {
        {"remote/ftp.cpp", "#include \"files/file_copy.h\""},
        {"remote/ftp.cpp", "#include \"engine/run.h\""},
        {"protocols/ftp_client.cpp", "#include \"config/transfer_job.h\""},
        {"protocols/ftp_client.cpp", "#include \"remote/ftp.h\""},
    };
    for (const Case& c : cases) {
        test::WriteFile(dir / "remote/ftp.cpp",
                        "#include \"protocols/ftp_client.h\"\n"
                        "#include \"config/transfer_job.h\"\n");
        test::WriteFile(dir / "protocols/ftp_client.cpp", "#include \"common/log.h\"\n");
        ASSERT_EQ(Check().exitCode, 0);
        Add(c.file, c.line);
        const test::CommandResult result = Check();
        EXPECT_EQ(result.exitCode, 1) << c.line;
        EXPECT_NE(result.output.find(c.file + ":"), std::string::npos) << result.output;
    }
}

}  // namespace
}  // namespace ferrolin
