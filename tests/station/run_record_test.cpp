// The run record as Runs.jsonl keeps it, and the alarm's decision.
#include <gtest/gtest.h>

#include <string>

#include "common/log.h"
#include "station/alarm_policy.h"
#include "station/run_journal.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

RunRecord Sample(int64_t start, RunOutcome outcome) {
    RunRecord record;
    record.start = start;
    record.end = start + 65;
    record.trigger = RunTrigger::Scan;
    record.outcome = outcome;
    record.host = "st\xc3\xa4tion";
    record.version = "1.2.3";
    JobRunRecord job;
    job.index = 3;
    job.name = "Night \"upload\"";
    job.kind = "ftp upload";
    job.source = "/srv/out";
    job.destination = "ftp://user@host/in";
    job.outcome = JobOutcome::Refused;
    job.copied = 4;
    job.same = 5;
    job.failed = 6;
    job.deleted = 7;
    job.bytes = 5000000000;
    job.seconds = 12.5;
    job.error = "Logon to //srv/share refused:\nbad password";
    record.jobs.push_back(job);
    job.index = 4;
    job.outcome = JobOutcome::Ok;
    job.error.reset();
    record.jobs.push_back(job);
    return record;
}

TEST(RunRecord, EveryFieldSurvivesTheLine) {
    const RunRecord record = Sample(1796634000, RunOutcome::Failed);
    const std::string line = RunRecordJson(record);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("\"start\":\"2026-12-07T09:00:00Z\",\"end\":\"2026-12-07T09:01:05Z\","
                        "\"trigger\":\"scan\",\"outcome\":\"failed\""),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"outcome\":\"refused\""), std::string::npos);
    EXPECT_NE(line.find("\"error\":null"), std::string::npos);
    const std::optional<RunRecord> back = ParseRunRecord(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(RunRecordJson(*back), line);
    EXPECT_EQ(back->host, record.host);
    EXPECT_EQ(back->jobs[0].error, record.jobs[0].error);
    EXPECT_EQ(back->jobs[0].bytes, 5000000000);
    EXPECT_EQ(back->jobs[0].seconds, 12.5);
    EXPECT_EQ(back->FailedJobs(), 1u);
}

TEST(RunRecord, LinesWithoutTheFieldsAStatusNeedsAreRefused) {
    const std::string good = RunRecordJson(Sample(1796634000, RunOutcome::Ok));
    auto without = [&](const std::string& from, const std::string& to) {
        std::string line = good;
        line.replace(line.find(from), from.size(), to);
        return line;
    };
    EXPECT_FALSE(ParseRunRecord(good.substr(0, good.size() / 2)));
    EXPECT_FALSE(ParseRunRecord(without("\"trigger\":\"scan\"", "\"trigger\":\"sometimes\"")));
    EXPECT_FALSE(ParseRunRecord(without("\"outcome\":\"ok\"", "\"outcome\":1")));
    EXPECT_FALSE(ParseRunRecord(without("2026-12-07T09:00:00Z", "2026-02-30T09:00:00Z")));
    EXPECT_FALSE(ParseRunRecord(without("\"outcome\":\"refused\"", "\"outcome\":\"meh\"")));
    EXPECT_FALSE(ParseRunRecord("[]"));
    // Counts that cannot be counts read as 0 instead of failing the whole line.
    const std::optional<RunRecord> odd = ParseRunRecord(without("\"copied\":4", "\"copied\":-4"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->jobs[0].copied, 0u);
}

// Runs.jsonl read by status and alarms: a run killed while writing, a disk that filled up
// or an editor's stray text spoil only their own lines; the old generation comes first.
TEST(RunJournal, GarbledLinesArePassedOverAndACutLineIsEnded) {
    TempDir dir;
    const std::string path = RunRecordPath(dir.path());
    WriteFile(PreviousGenerationName(path),
              RunRecordJson(Sample(100, RunOutcome::Cancelled)) + "\n");
    const std::string first = RunRecordJson(Sample(1000, RunOutcome::Failed));
    WriteFile(path, first + "\nnot json at all\n\n{\"start\":\"x\"}\n" + first.substr(0, 40));
    ASSERT_TRUE(AppendRunRecord(dir.path(), Sample(2000, RunOutcome::Ok)));

    const std::vector<RunRecord> records = ReadRunRecords(dir.path());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].start, 100);
    EXPECT_EQ(records[1].start, 1000);
    EXPECT_EQ(records[2].start, 2000);
    EXPECT_EQ(LastRunRecord(dir.path())->outcome, RunOutcome::Ok);
    // The cut-off line was ended before the new record, not glued to it.
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find(first.substr(0, 40) + "\n{"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_FALSE(LastRunRecord(dir.path() + "/nowhere"));
}

TEST(AlarmPolicy, DecidesByOutcomeModeAndQuietTime) {
    constexpr int64_t now = 100000;
    const auto ok = RunOutcome::Ok, failed = RunOutcome::Failed, cancelled = RunOutcome::Cancelled;
    const std::optional<int64_t> never;
    const struct {
        AlarmWhen on;
        RunOutcome outcome;
        std::optional<RunOutcome> previous;
        std::optional<int64_t> lastFailureAlarm;
        AlarmKind expected;
    } cases[] = {
        {AlarmWhen::Failure, failed, ok, never, AlarmKind::Failure},
        {AlarmWhen::Failure, cancelled, std::nullopt, never, AlarmKind::Failure},
        {AlarmWhen::Failure, failed, failed, now - 14 * 60, AlarmKind::None},  // quiet
        {AlarmWhen::Failure, failed, failed, now - 15 * 60, AlarmKind::Failure},
        {AlarmWhen::Failure, failed, failed, now + 3600, AlarmKind::Failure},  // clock set back
        {AlarmWhen::Failure, ok, failed, never, AlarmKind::None},
        {AlarmWhen::Change, ok, failed, now - 60, AlarmKind::Recovered},
        {AlarmWhen::Change, ok, cancelled, never, AlarmKind::Recovered},
        {AlarmWhen::Change, ok, ok, never, AlarmKind::None},
        {AlarmWhen::Change, ok, std::nullopt, never, AlarmKind::None},
        {AlarmWhen::Always, ok, ok, never, AlarmKind::Report},
        {AlarmWhen::Always, ok, failed, never, AlarmKind::Recovered},
        {AlarmWhen::Always, failed, failed, now - 60, AlarmKind::None},
    };
    for (const auto& c : cases) {
        AlarmSettings settings;
        settings.on = c.on;
        EXPECT_EQ(DecideAlarm(settings, c.outcome, c.previous, c.lastFailureAlarm, now), c.expected)
            << static_cast<int>(c.on) << " " << RunOutcomeName(c.outcome);
    }
}

TEST(AlarmPolicy, SubjectAndBodyNameTheFailedJobs) {
    const RunRecord record = Sample(1796634000, RunOutcome::Failed);
    EXPECT_EQ(AlarmSubject(AlarmKind::Failure, record),
              "Ferrolin on st\xc3\xa4tion: run failed, 1 of 2 jobs");
    const std::string body = AlarmBody(AlarmKind::Failure, record);
    EXPECT_NE(body.find("Job 4 \"Night \"upload\"\" (ftp upload, /srv/out -> ftp://user@host/in): "
                        "refused: Logon to //srv/share refused:"),
              std::string::npos)
        << body;
    EXPECT_EQ(body.find("Job 5"), std::string::npos) << body;
    EXPECT_NE(body.find("2 jobs, 1 not ok; 8 files copied, 10 the same, 12 failed, 14 deleted; "
                        "10000000000 bytes"),
              std::string::npos)
        << body;
}

TEST(AlarmPolicy, TheQuietTimeIsRememberedAcrossProcesses) {
    TempDir dir;
    EXPECT_FALSE(ReadLastFailureAlarm(dir.path()));
    WriteLastFailureAlarm(dir.path(), 1796634000);
    EXPECT_EQ(ReadLastFailureAlarm(dir.path()), 1796634000);
    WriteLastFailureAlarm(dir.path(), std::nullopt);
    EXPECT_FALSE(ReadLastFailureAlarm(dir.path()));
    WriteFile(AlarmStatePath(dir.path()), "{garbage");
    EXPECT_FALSE(ReadLastFailureAlarm(dir.path()));
}

}  // namespace
}  // namespace ferrolin
