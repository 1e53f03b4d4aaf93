#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/locale.h"
#include "platform/path.h"
#include "platform/program_dir.h"

namespace ferrolin::platform {
namespace {

TEST(Path, SharePathsAndJoining) {
    EXPECT_TRUE(IsSharePath("//server/share/x"));
    EXPECT_TRUE(IsSharePath("//"));
    EXPECT_FALSE(IsSharePath("/server/share"));
    EXPECT_FALSE(IsSharePath("relative//x"));
    EXPECT_FALSE(IsSharePath(""));
    EXPECT_EQ(JoinPath("/opt/f", "Ferrolin.log"), "/opt/f/Ferrolin.log");
    EXPECT_EQ(JoinPath("/opt/f/", "Ferrolin.log"), "/opt/f/Ferrolin.log");
    EXPECT_EQ(JoinPath("/opt/f/", "/Ferrolin.log"), "/opt/f/Ferrolin.log");
    EXPECT_EQ(JoinPath("/", "x"), "/x");
    EXPECT_EQ(JoinPath("", "x"), "x");
    EXPECT_EQ(JoinPath("/a", ""), "/a/");
}

TEST(RegionalSettings, StrftimePatternsBecomeLetterPatterns) {
    struct Case {
        const char* strftime;
        const char* letters;
        char separator;
    } cases[] = {
        {"%d.%m.%Y", "dd.MM.yyyy", '.'},
        {"%m/%d/%y", "MM/dd/yy", '/'},
        {"%Y-%m-%d", "yyyy-MM-dd", '-'},
        {"%D", "MM/dd/yy", '/'},
        {"%F", "yyyy-MM-dd", '-'},
        {"%e/%m/%Y", "dd/MM/yyyy", '/'},
        {"%Y. %m. %d.", "yyyy. MM. dd.", '.'},
        {"%-d.%-m.%Y", "dd.MM.yyyy", '.'},
        {"%Y年%m月%d日", "yyyy年MM月dd日", '/'},
        {"%a %d %b %Y", " dd MMM yyyy", ' '},
        {"", "", '/'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strftime);
        const std::string letters = ShortDatePatternFromStrftime(c.strftime);
        EXPECT_EQ(letters, c.letters);
        EXPECT_EQ(DateSeparatorOf(letters), c.separator);
    }
}

TEST(RegionalSettings, ReadsTheProcessLocale) {
    const RegionalSettings settings = ReadRegionalSettings();
    EXPECT_FALSE(settings.shortDatePattern.empty());
    EXPECT_NE(settings.shortDatePattern.find("dd"), std::string::npos);
    // Numbers inside the program keep the C form whatever the region says.
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    EXPECT_STREQ(buffer, "1.5");
}

TEST(ProgramDir, HomeVariableOrExecutableFolder) {
    const char* saved = std::getenv("FERROLIN_HOME");
    const std::string keep = saved ? saved : "";
    setenv("FERROLIN_HOME", "/srv/ferrolin//", 1);
    EXPECT_EQ(DetectProgramDir(), "/srv/ferrolin");
    // The executable's folder with links resolved, as /proc/self/exe reports it.
    char* resolved = realpath(FERROLIN_BIN_DIR, nullptr);
    ASSERT_NE(resolved, nullptr);
    const std::string binDir = resolved;
    std::free(resolved);
    setenv("FERROLIN_HOME", "", 1);
    EXPECT_EQ(DetectProgramDir(), binDir);
    unsetenv("FERROLIN_HOME");
    EXPECT_EQ(DetectProgramDir(), binDir);
    if (saved != nullptr) setenv("FERROLIN_HOME", keep.c_str(), 1);
}

}  // namespace
}  // namespace ferrolin::platform
