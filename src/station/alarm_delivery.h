#pragma once
// Sending an alarm: a mail through the SMTP server of the "Alarm" section and the
// section's command with the run's record on its standard input. Each way's outcome is
// logged; a failing alarm never changes the run's outcome.
#include <optional>
#include <string>
#include <vector>

#include "config/alarm_section.h"
#include "engine/run_context.h"
#include "station/alarm_policy.h"
#include "station/run_record.h"

namespace ferrolin {

struct AlarmDelivery {
    bool mailWanted = false;
    bool mailSent = false;
    bool commandWanted = false;
    bool commandDone = false;  // started and ended with exit code 0
    // What happened, one line per way, as logged.
    std::vector<std::string> lines;

    bool AnySent() const { return mailSent || commandDone; }
    bool AllSent() const { return (!mailWanted || mailSent) && (!commandWanted || commandDone); }
};

// Sends kind's alarm for record the ways settings name. The mail's sender is MailFrom, or
// ferrolin@<host>.
AlarmDelivery SendAlarm(RunContext& run, const AlarmSettings& settings, AlarmKind kind,
                        const RunRecord& record);

// ferrolin-cli alarm-test: a test alarm about the last recorded run, the ways the "Alarm"
// section names; nothing when it names none.
std::optional<AlarmDelivery> SendTestAlarm(RunContext& run);

// The end of a run: the "Alarm" section read now, the decision made from the run's
// outcome, the one before it and the last failure alarm, and the alarm sent.
void AlarmAfterRun(RunContext& run, const RunRecord& record, std::optional<RunOutcome> previous);

}  // namespace ferrolin
