#include "files/copy_worker.h"

#include <gtest/gtest.h>

#include "copy_test_util.h"
#include "files/recent_average.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

using test::RandomBytes;
using test::ReadFile;
using test::WriteFile;

class CopyWorkerTest : public test::FilesTest {};

TEST_F(CopyWorkerTest, CopiesAndReportsEveryChunk) {
    WriteFile(Path("s"), RandomBytes(20 << 20, 1));
    static int calls;
    static int64_t lastTransferred;
    calls = 0;
    lastTransferred = 0;
    CopyProgressCallback counting = [](CopyContext&, int64_t total,
                                       int64_t transferred) -> uint32_t {
        ++calls;
        EXPECT_EQ(total, 20 << 20);
        EXPECT_GT(transferred, lastTransferred);
        lastTransferred = transferred;
        return 0;
    };
    CopyWorker worker(copy, counting, Path("s"), Path("t"), true);
    worker.Resume();
    ASSERT_TRUE(worker.WaitTerminated(std::chrono::seconds(60)));
    worker.WaitFor();
    EXPECT_TRUE(copy.ThreadDone.load());
    EXPECT_EQ(worker.ErrorNr.load(), 0);
    EXPECT_EQ(worker.BytesTransferred.load(), 20 << 20);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(lastTransferred, 20 << 20);
    EXPECT_EQ(ReadFile(Path("t")), ReadFile(Path("s")));

    // With a rate limit the chunks are small, so the per-chunk pause can act.
    calls = 0;
    lastTransferred = 0;
    CopyWorker limited(copy, counting, Path("s"), Path("u"), true);
    limited.BytesPerSecondLimit = int64_t{1} << 40;
    limited.Resume();
    limited.WaitFor();
    EXPECT_EQ(calls, (20 << 20) / static_cast<int>(CopyWorker::kLimitedChunk));
    EXPECT_EQ(ReadFile(Path("u")), ReadFile(Path("s")));
}

TEST_F(CopyWorkerTest, CancelEndsTheCopyWithRequestAborted) {
    WriteFile(Path("s"), RandomBytes(4 << 20, 2));
    CopyProgressCallback cancelling = [](CopyContext& context, int64_t, int64_t) -> uint32_t {
        context.Cancel.Stop();  // the operator presses Cancel during the copy
        return 0;
    };
    CopyWorker worker(copy, cancelling, Path("s"), Path("t"), true);
    worker.BytesPerSecondLimit = 1 << 20;
    worker.Resume();
    worker.WaitFor();
    EXPECT_FALSE(copy.ThreadDone.load());
    EXPECT_EQ(worker.ErrorNr.load(), platform::ERROR_REQUEST_ABORTED);
    EXPECT_LT(worker.BytesTransferred.load(), 4 << 20);
}

TEST_F(CopyWorkerTest, MissingSourceFailsWithItsError) {
    CopyWorker worker(copy, CopyProgressRoutine, Path("none"), Path("t"), false);
    worker.WaitFor();
    EXPECT_FALSE(copy.ThreadDone.load());
    EXPECT_EQ(worker.ErrorNr.load(), ENOENT);
    EXPECT_FALSE(worker.TargetCreated.load());
}

TEST_F(CopyWorkerTest, ProgressRoutineWithoutWorkerOrLimitNeverSleeps) {
    copy.ActiveThread = nullptr;
    EXPECT_EQ(CopyProgressRoutine(copy, 10, 5), 0u);  // no worker: returns at once

    CopyWorker worker(copy, CopyProgressRoutine, Path("a"), Path("b"), true);
    copy.ActiveThread = &worker;
    for (int i = 0; i < 50; ++i) EXPECT_EQ(CopyProgressRoutine(copy, 1 << 30, i * 65536), 0u);
    EXPECT_EQ(worker.PauseMilliseconds(), 0);
    EXPECT_EQ(worker.BytesTransferred.load(), 49 * 65536);
    copy.ActiveThread = nullptr;
}

TEST_F(CopyWorkerTest, RateLimitPauseCreepsUpWhileTooFastAndBackDown) {
    CopyWorker worker(copy, CopyProgressRoutine, Path("a"), Path("b"), true);
    worker.BytesPerSecondLimit = 1;  // everything is too fast
    for (int i = 1; i <= 3; ++i) worker.ReportProgress(1 << 30, int64_t{i} << 20);
    EXPECT_EQ(worker.PauseMilliseconds(), 3);
    worker.BytesPerSecondLimit = int64_t{1} << 50;  // nothing is too fast
    for (int i = 0; i < 5; ++i) worker.ReportProgress(1 << 30, 1 << 20);
    EXPECT_EQ(worker.PauseMilliseconds(), 0);
}

TEST(RecentAverageTest, KeepsTheLastValuesAndAveragesWithoutOverflow) {
    RecentAverage rates(10);
    EXPECT_EQ(rates.Average(), 0);
    for (int i = 1; i <= 11; ++i) rates.Add(i * 100);
    EXPECT_EQ(rates.Average(), 650) << "the first rate was dropped";

    RecentAverage large(3);
    large.Add(2147483647);
    large.Add(2147483647);
    large.Add(-1);
    EXPECT_EQ(large.Average(), 1431655764);
}

}  // namespace
}  // namespace ferrolin
