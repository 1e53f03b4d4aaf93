#pragma once
// Where time synchronisation meets the rest of the program: arming it at start and at
// each day change, and the attempt a job makes once its connection is up.
namespace ferrolin {

class Station;

// Program start (after the configuration was read) and each change of date:
// SyncTimeNow := the panel's "Enable" box.
void ArmTimeSync(Station& station);

// The run driver, after the job's connection is up and before its transfers: when
// SyncTimeNow is set, shows "Try sync time...", lets pending messages run, calls
// SyncCheck and shows "sync time successful" (0) or "sync time failed" (anything else).
// SyncTimeNow is cleared in every case, so this happens once per day and start.
// Returns SyncCheck's result, or 0 when nothing was due.
int SyncTimeBeforeTransfer(Station& station);

}  // namespace ferrolin
