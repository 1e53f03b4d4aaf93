#include "engine/remote_sessions.h"

#include "common/log.h"

namespace ferrolin {

RemoteSessions::RemoteSessions(Surfaces& face, Clock& clock, const CancelToken& cancel,
                               const std::string& logFile)
    : Ftp(face, clock), logFile_(logFile) {
    Ftp.SetCancelToken(&cancel);
    LogToFile(true);
    // Cancel (and the stop signals a face turns into it) ends a POP3 command at once, in
    // whatever phase it waits.
    Pop3.SetKeepGoing([&face, &cancel] {
        face.ProcessMessages();
        return !cancel.StopRequested();
    });
}

void RemoteSessions::LogToFile(bool on) {
    if (on) {
        Ftp.SetLogSink([this](std::string_view line) { WriteLog(0, logFile_, line); });
    } else {
        Ftp.SetLogSink([](std::string_view) {});
    }
}

void RemoteSessions::AttachFtpSurfaces(Surfaces& face) {
    Ftp.SetGauge(&face);
    Ftp.SetStatusbar(&face);
}

}  // namespace ferrolin
