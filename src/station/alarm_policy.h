#pragma once
// When a run's end calls for an alarm, what the alarm says, and what the station
// remembers between runs about the alarms it sent (Alarm.json in the program folder: the
// moment of the last failure alarm, so repeated failures stay quiet for QuietMinutes even
// across processes, one ferrolin-cli run after another).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/alarm_section.h"
#include "station/run_record.h"

namespace ferrolin {

enum class AlarmKind : uint8_t {
    None,
    Failure,    // the run failed or was cancelled
    Recovered,  // the first ok run after one that was not
    Report,     // an ok run, with On=always
    Test,       // ferrolin-cli alarm-test
};

// failure: not-ok runs alarm. change: also the first ok run after a not-ok one.
// always: every run. A failure alarm is held back while the last one went out less than
// QuietMinutes ago; a recovery ends that quiet time.
AlarmKind DecideAlarm(const AlarmSettings& settings, RunOutcome outcome,
                      std::optional<RunOutcome> previous, std::optional<int64_t> lastFailureAlarm,
                      int64_t now);

// The word FERROLIN_ALARM carries to the alarm command.
std::string_view AlarmKindName(AlarmKind kind);

// "Ferrolin on host1: run failed, 2 of 5 jobs".
std::string AlarmSubject(AlarmKind kind, const RunRecord& record);
// Each job that did not end ok with its reason, then the run's summary.
std::string AlarmBody(AlarmKind kind, const RunRecord& record);

std::string AlarmStatePath(const std::string& programDir);
std::optional<int64_t> ReadLastFailureAlarm(const std::string& programDir);
// nothing: the quiet time is over (a recovery was told).
void WriteLastFailureAlarm(const std::string& programDir, std::optional<int64_t> moment);

}  // namespace ferrolin
