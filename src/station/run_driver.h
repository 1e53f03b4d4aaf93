#pragma once
// Running the job list: one job from reading its settings to tidying up, the two manual
// runs of the whole list, and Cancel. All on the user-interface thread.
#include <cstdint>
#include <optional>

#include "station/station.h"

namespace ferrolin {

// Shows job n in the window: its line selected (n >= 0), or no line (-1).
void SelectJob(Station& station, int n);

// Runs job n (0-based): reads it into the editor and, when its check mark is set, runs
// its transfer. Outcomes go to the log, the surfaces, station.FailedFiles/JobsCutShort
// and the cancel token.
void RunJob(Station& station, uint16_t n);

// "Manual" (withMessages: the operator is asked about corrupt files and overwrites) and
// "Manual (no messages)": the log rotated past 2,000,000 bytes, then every job in list
// order until a stop is requested. Resets station.FailedFiles and JobsCutShort first.
// The run is recorded with trigger, or as the button that started it. The big label
// ends with "finished", "finished with errors" or "cancelled".
void RunAllJobsManually(Station& station, bool withMessages,
                        std::optional<RunTrigger> trigger = std::nullopt);

// The end of a recorded run: its record written to Runs.jsonl and its alarm sent.
// Returns how the run ended.
RunOutcome FinishRun(Station& station);

// The Cancel button: automatic mode off, the running job stopped after its current file
// (the copier stops at once), no further job started.
void CancelRun(Station& station);
// From any thread, while the run's own thread may be waiting inside a call to a server:
// cancels the run and ends every share call in progress at once (a share that stopped
// answering cannot hold the stop). The run's thread still calls CancelRun when it sees
// the request.
void InterruptRun(Station& station);

}  // namespace ferrolin
