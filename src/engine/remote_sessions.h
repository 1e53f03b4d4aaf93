#pragma once
// The sessions of the remote kinds, one of each for the station's whole life: the FTP
// session the jobs and the FTP client window share (its current folder and last listing
// included), and the POP3 session of the mail jobs (the listing opens it, the retrieval
// loop closes it; one a job left open is closed by the next mail job). Both stop at once
// when the run's cancel token is set. User-interface thread, except AbortTransfers.
#include <string>

#include "common/cancel_token.h"
#include "common/clock.h"
#include "common/surfaces.h"
#include "protocols/pop3_client.h"
#include "remote/ftp_session.h"

namespace ferrolin {

class RemoteSessions {
  public:
    // face: pumped during every wait; logFile: where the sessions log what they could not
    // read; cancel: the run's cancel token. All three outlive the sessions.
    RemoteSessions(Surfaces& face, Clock& clock, const CancelToken& cancel,
                   const std::string& logFile);
    RemoteSessions(const RemoteSessions&) = delete;
    RemoteSessions& operator=(const RemoteSessions&) = delete;

    FtpSession Ftp;
    Pop3Client Pop3;

    // The start-up's hand-over: from now on the FTP session shows its status texts and its
    // transfers' progress on this face's status bar and gauge (before, only in the FTP
    // window).
    void AttachFtpSurfaces(Surfaces& face);

    // Whether the sessions write what they could not read to the log file (on, from the
    // start); a dry run turns it off, so that it writes no log line.
    void LogToFile(bool on);

    // Stops the running FTP transfer within a second; callable from any thread.
    void AbortFtpTransfer() { Ftp.AbortTransfer(); }

  private:
    const std::string& logFile_;
};

}  // namespace ferrolin
