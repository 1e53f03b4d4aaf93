#pragma once
// The connection of the running job: the "connected" mark the watchdog watches, and the
// dial-up line of a job that names a "Ras" entry. One per station; user-interface thread.
#include <string>

#include "common/cancel_token.h"
#include "common/clock.h"
#include "common/datetime.h"
#include "common/surfaces.h"
#include "engine/run_log.h"
#include "remote/ras_dial_up.h"

namespace ferrolin {

class JobLine {
  public:
    // face: shows the connected mark; logFile: where dial-up errors go; cancel: ends a
    // dial-up wait. All outlive the line.
    JobLine(Surfaces& face, Clock& clock, const std::string& logFile, const CancelToken& cancel);
    JobLine(const JobLine&) = delete;
    JobLine& operator=(const JobLine&) = delete;

    // The dial-up lines of jobs that name a "Ras" entry; Cancel ends its wait.
    RasDialUp Ras;
    int RasIndex = -1;  // the job's "Ras" choice, -1 = "Not found"
    // A "Ras" entry after "RAS disabled" is chosen and dial-up is offered.
    bool DialUpChosen() { return RasIndex > 0 && Ras.Available(); }

    bool Connected = false;
    TDateTime ConnectionOpened = 0;  // when Connected was last switched on
    bool ConnectedSeen = false;      // Connected as the watchdog saw it last
    std::string ConnectedCaption = "connected";
    // The handler of the "connected" box: set Connected and note when it came up.
    void SetConnected(bool on);

    // Dials the job's entry and sets the connected mark from the outcome; a line that
    // does not come up (other than by Cancel) cuts the job short in log.
    void DialJobLine(const std::string& entry, RunLog& log);

  private:
    Surfaces& face_;
    Clock& clock_;
    const CancelToken& cancel_;
};

}  // namespace ferrolin
