#include "engine/job_line.h"

namespace ferrolin {

JobLine::JobLine(Surfaces& face, Clock& clock, const std::string& logFile,
                 const CancelToken& cancel)
    : Ras(face, clock, logFile, cancel), face_(face), clock_(clock), cancel_(cancel) {}

void JobLine::SetConnected(bool on) {
    Connected = on;
    if (on) ConnectionOpened = clock_.Now();
    ConnectedSeen = on;
    ConnectedCaption = "connected";
    face_.SetConnectedCaption(ConnectedCaption);
}

void JobLine::DialJobLine(const std::string& entry, RunLog& log) {
    SetConnected(Ras.DialRas(entry));
    if (!Connected && !cancel_.Cancelled()) {
        log.Tally.NoteError("Dial-up line " + entry + " did not come up");
        ++log.JobsCutShort;
    }
}

}  // namespace ferrolin
