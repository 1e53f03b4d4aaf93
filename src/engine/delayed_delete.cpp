#include "engine/delayed_delete.h"

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "common/log.h"
#include "engine/guarded_delete.h"
#include "engine/mirror_compare.h"
#include "engine/path_guard.h"
#include "engine/program_files.h"
#include "engine/run_context.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/text_lines.h"

namespace ferrolin {

namespace {

bool Digits(std::string_view text, size_t from, size_t count, int& value) {
    value = 0;
    for (size_t k = from; k < from + count; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        value = value * 10 + (text[k] - '0');
    }
    return true;
}

// Reads the file; false (with one log line) when it exists but cannot be read, so
// that the caller leaves it alone instead of overwriting what it could not see.
bool ReadDelayFile(const RunLog& log, const std::string& path, std::vector<std::string>& lines) {
    int32_t error = 0;
    if (platform::ReadTextLines(path, lines, &error) || error == ENOENT) return true;
    log.Write(std::string(kDelayDeleteFileName) +
              " could not be read, left as it is: " + platform::ErrorMessage(error));
    return false;
}

}  // namespace

std::string DelayDeletePath(const RunLog& log) {
    return platform::JoinPath(log.ProgramDir(), kDelayDeleteFileName);
}

std::string FormatDelayMoment(TDateTime moment) {
    const DateParts d = DecodeDate(moment);
    // Seconds are truncated, never rounded up into the next minute or day.
    const TimeParts t = DecodeTime(moment);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::optional<TDateTime> ParseDelayMoment(std::string_view text) {
    if (text.size() != kDelayMomentLength || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year, month, day, hour, minute, second;
    if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) || !Digits(text, 17, 2, second))
        return std::nullopt;
    if (!TryEncodeDate(year, month, day) || !TryEncodeTime(hour, minute, second, 0))
        return std::nullopt;
    // Composed the way the program composes all moments (days before 1899 count the time
    // of day away from zero).
    return EncodeDateTime({year, month, day}, {hour, minute, second, 0});
}

std::optional<long> ParseDelayDays(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long days = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, days);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return days;
}

void PostponeDeletions(const RunLog& log, const Clock& clock, const std::string& destRoot,
                       const std::vector<std::string>& orphans) {
    const std::string path = DelayDeletePath(log);
    std::vector<std::string> lines;
    if (!ReadDelayFile(log, path, lines)) return;
    const std::string moment = FormatDelayMoment(clock.Now());
    std::string prefix = moment + '\t' + destRoot;
    if (prefix.back() != platform::kPathSeparator) prefix += platform::kPathSeparator;
    // A name with a line break would split its line and could forge another: such a file
    // is left alone.
    std::vector<std::string> storable;
    storable.reserve(orphans.size());
    for (const std::string& orphan : orphans) {
        if (!HasLineBreak(orphan)) {
            storable.push_back(orphan);
            continue;
        }
        log.Write("File " + platform::JoinPath(destRoot, orphan) +
                  " has a line break in its name; not added to " + kDelayDeleteFileName);
    }
    const bool added = AddEachUnlessListed(storable, prefix, lines) > 0;
    if (added && !platform::WriteTextLinesAtomically(path, lines))
        log.Write(std::string(kDelayDeleteFileName) + " could not be written");
}

DelayedDeletions SplitDueDeletions(const RunContext& run, const TransferJob& job, long days,
                                   std::vector<std::string> lines) {
    const TDateTime now = run.clock.Now();
    DelayedDeletions split;
    // Only paths inside a job's destination folder are ever deleted; anything else in the
    // file (a relative path, "..", a folder of no job) stays there, named once in the log.
    std::vector<std::string> folders = JobDestinationFolders(run.iniFile, run.jobCount);
    if (const std::string own = NormalisePath(job.destination);
        IsNormalAbsolutePath(own) && own != "/")
        folders.push_back(own);
    for (std::string& line : lines) {
        if (line.empty()) continue;  // a blank line carries nothing; it is dropped
        const std::optional<TDateTime> moment =
            ParseDelayMoment(line.substr(0, kDelayMomentLength));
        if (!moment || line.size() <= kDelayMomentLength + 1 || line[kDelayMomentLength] != '\t') {
            run.log.Write(std::string(kDelayDeleteFileName) +
                          ": line not understood, kept: " + line);
            split.remaining.push_back(std::move(line));
        } else if (now > *moment + static_cast<double>(days)) {
            std::string file = line.substr(kDelayMomentLength + 1);
            if (const std::optional<std::string> root = GuardingFolder(file, folders)) {
                split.due.push_back(std::move(file));
                split.dueRoots.push_back(*root);
            } else {
                run.log.Write(std::string(kDelayDeleteFileName) +
                              ": path not inside a job's destination folder, kept: " + line);
                split.remaining.push_back(std::move(line));
            }
        } else {
            split.remaining.push_back(std::move(line));
        }
    }
    return split;
}

TDateTime DelayDueMoment(const std::vector<std::string>& lines, const std::string& orphan,
                         TDateTime now, long days) {
    // A line names the orphan as PostponeDeletions finds it: anywhere in the line.
    for (const std::string& line : lines) {
        if (orphan.empty() || line.find(orphan) == std::string::npos) continue;
        if (const std::optional<TDateTime> moment =
                ParseDelayMoment(std::string_view(line).substr(0, kDelayMomentLength)))
            return *moment + static_cast<double>(days);
    }
    return now + static_cast<double>(days);
}

TransferPlan PlanDelayedDeletes(const RunContext& run, const TransferJob& job) {
    TransferPlan plan;
    const std::optional<long> days = ParseDelayDays(job.deleteDelay);
    if (!days || *days <= 0) return plan;
    std::vector<std::string> lines;
    if (!ReadDelayFile(run.log, DelayDeletePath(run.log), lines)) return plan;
    for (std::string& file : SplitDueDeletions(run, job, *days, std::move(lines)).due)
        plan.Add(PlanVerb::Delete, std::move(file));
    return plan;
}

TransferPlan PlanPostponedDeletions(const RunLog& log, const Clock& clock,
                                    const std::string& destRoot,
                                    const std::vector<std::string>& orphans, long days) {
    TransferPlan plan;
    std::vector<std::string> lines;
    if (!ReadDelayFile(log, DelayDeletePath(log), lines)) return plan;
    const TDateTime now = clock.Now();
    for (const std::string& orphan : orphans) {
        // A name with a line break would split its line and could forge another: such a
        // file is left alone.
        if (HasLineBreak(orphan)) {
            log.Write("File " + platform::JoinPath(destRoot, orphan) +
                      " has a line break in its name; not added to " + kDelayDeleteFileName);
            continue;
        }
        plan.AddDelayed(platform::JoinPath(destRoot, orphan),
                        DelayDueMoment(lines, orphan, now, days));
    }
    return plan;
}

void ProcessDelayedDeletes(const RunContext& run, const TransferJob& job) {
    const std::optional<long> days = ParseDelayDays(job.deleteDelay);
    if (!days || *days <= 0) return;
    const std::string path = DelayDeletePath(run.log);
    std::vector<std::string> lines;
    if (!ReadDelayFile(run.log, path, lines)) return;
    const size_t before = lines.size();
    const DelayedDeletions split = SplitDueDeletions(run, job, *days, std::move(lines));
    if (split.remaining.size() != before &&
        !platform::WriteTextLinesAtomically(path, split.remaining)) {
        // Deleting without removing the lines would be harmless, but keep the two in step.
        run.log.Write(std::string(kDelayDeleteFileName) + " could not be written");
        return;
    }
    for (size_t k = 0; k < split.due.size(); ++k) {
        if (run.cancel.StopRequested()) break;
        DeleteBelowAndLog(run.log, run.copy.Files, split.dueRoots[k], split.due[k]);
        run.face.ProcessMessages();
    }
}

}  // namespace ferrolin
