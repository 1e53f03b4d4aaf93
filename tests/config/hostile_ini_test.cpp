// INI files as other programs and careless hands leave them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/job_section.h"
#include "config/profile_file.h"
#include "platform/errors.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;
using test::WriteFile;

// A byte-order mark from a Windows editor is not part of the first section's name; a
// choice stored out of its range is reported instead of read as another choice; a pipe
// in the INI's place is an error, not a wait.
TEST(HostileIni, ByteOrderMarkOddChoicesAndPipes) {
    TempDir dir;
    const std::string path = dir / "Ferrolin.INI";
    WriteFile(path, "\xEF\xBB\xBF[Kopf0]\r\nName=First\r\nCopyMode=99\r\nBuffering=-1\r\n"
                    "ParsingType=7\r\nSourceType=5\r\nModemspeed=x\r\n");
    const ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("Kopf0", "Name", ""), "First");
    EXPECT_EQ(ini.ReadSectionNames(), std::vector<std::string>{"Kopf0"});
    EXPECT_EQ(OutOfRangeChoices(ini, 0), (std::vector<std::string>{"Buffering=-1", "CopyMode=99"}));
    EXPECT_TRUE(OutOfRangeChoices(ini, 1).empty());
    // A write keeps the mark and every other byte (found by the profile fuzzer).
    ProfileFile writable(path);
    writable.WriteString("Kopf0", "Name", "Second");
    EXPECT_EQ(test::ReadFile(path).rfind("\xEF\xBB\xBF[Kopf0]\r\nName=Second\r\n", 0), 0u);
    EXPECT_EQ(writable.ReadString("Kopf0", "Name", ""), "Second");

    const std::string pipe = dir / "pipe.INI";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const ProfileFile fromPipe(pipe);
    EXPECT_EQ(fromPipe.ReadString("Kopf0", "Name", "none"), "none");
    EXPECT_EQ(fromPipe.ReadError(), platform::ERROR_NOT_REGULAR_FILE);
}

}  // namespace
}  // namespace ferrolin
