// Running the operator's alarm command without a shell, and the run lock's holder.
#include "platform/program_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/run_lock.h"
#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(SplitCommandLine, WordsAsWrittenWithNothingExpanded) {
    const struct {
        std::string line;
        std::vector<std::string> words;
    } cases[] = {
        {"/usr/bin/notify -x  --to ops", {"/usr/bin/notify", "-x", "--to", "ops"}},
        {"prog \"two words\" 'single $HOME' end", {"prog", "two words", "single $HOME", "end"}},
        {"prog a\\ b \"q\\\"uote\" ''", {"prog", "a b", "q\"uote", ""}},
        {"prog $(rm -rf /); `x` | y > z",
         {"prog", "$(rm", "-rf", "/);", "`x`", "|", "y", ">", "z"}},
        {"  \t ", {}},
        {"prog \"unclosed quote", {"prog", "unclosed quote"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(RunProgram, InputArrivesAndTheOutcomeIsTold) {
    TempDir dir;
    const std::string out = dir / "got";
    const ProgramOutcome done = RunProgram(
        {"/bin/sh", "-c", "cat > \"$1\"; echo \"$FERROLIN_ALARM\" >> \"$1\"; exit 3", "sh", out},
        "{\"a\":1}\n", {"FERROLIN_ALARM=test"}, std::chrono::seconds(10));
    EXPECT_TRUE(done.started);
    EXPECT_EQ(done.exitCode, 3);
    EXPECT_EQ(ReadFile(out), "{\"a\":1}\ntest\n");

    // A program that never reads a large input, and one that overstays its time.
    const ProgramOutcome deaf =
        RunProgram({"true"}, std::string(1 << 20, 'x'), {}, std::chrono::seconds(10));
    EXPECT_EQ(deaf.exitCode, 0);
    int waits = 0;
    const ProgramOutcome slow =
        RunProgram({"sleep", "30"}, "", {}, std::chrono::milliseconds(300), [&] { ++waits; });
    EXPECT_TRUE(slow.timedOut);
    EXPECT_GT(waits, 0);

    const ProgramOutcome missing = RunProgram({dir / "nothing"}, "", {}, std::chrono::seconds(1));
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.startError, ENOENT);
    EXPECT_EQ(ProgramOutput({"printf", "a\\nb"}, std::chrono::seconds(5)), "a\nb");
    EXPECT_FALSE(ProgramOutput({"false"}, std::chrono::seconds(5)));
}

TEST(RunLock, TheHolderIsNamedOnlyWhileItHoldsTheLock) {
    TempDir dir;
    const std::string path = dir / "Ferrolin.lock";
    EXPECT_FALSE(RunLock::Holder(path));
    {
        const std::optional<RunLock> lock = RunLock::TryTake(path);
        ASSERT_TRUE(lock);
        EXPECT_EQ(RunLock::Holder(path), getpid());
        EXPECT_EQ(ReadFile(path), std::to_string(getpid()) + "\n");
    }
    // Released: the id left in the file names no holder.
    EXPECT_FALSE(RunLock::Holder(path));
}

}  // namespace
}  // namespace ferrolin::platform
