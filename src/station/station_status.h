#pragma once
// What a monitoring check asks of a station: is a run going on (and in which process),
// how did the last run end, how did each job end the last time it ran, and when does the
// automatic mode start next. Read from the run lock, Runs.jsonl and Ferrolin.INI; never
// from the log.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "schedule/send_time.h"
#include "station/run_recorder.h"
#include "station/station.h"

namespace ferrolin {

struct JobStatus {
    int index = 0;
    std::string name;
    bool active = false;                 // its check mark
    std::optional<JobLastOutcome> last;  // nothing: never run under this name
};

struct StationStatus {
    std::optional<pid_t> runningPid;  // the process holding the run lock
    std::optional<RunRecord> lastRun;
    std::vector<JobStatus> jobs;
    bool autoOn = false;  // "Auto" as Ferrolin.INI stores it
    TDateTime nextStart = 0;
};

// The next start as the automatic mode computes it now, from the options read last and
// today's send-time lines (problems with lines are added to problems when given).
TDateTime ComputeNextStart(Station& station, std::vector<SendTimeProblem>* problems = nullptr);

// Reads the configuration into the station, then the rest.
StationStatus ReadStationStatus(Station& station);

// 0 when the last recorded run was ok or none is recorded, 1 when it failed or was cancelled.
int StatusExitCode(const StationStatus& status);

// For people: a few lines, times in the operator's date and time form.
std::string StatusText(const StationStatus& status);
// For programs: one JSON object; the last run as its full record.
std::string StatusJson(const StationStatus& status);

}  // namespace ferrolin
