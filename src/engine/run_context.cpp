#include "engine/run_context.h"

#include <utility>

#include "common/log.h"

namespace ferrolin {

RunContext::RunContext(std::string programDir, Surfaces& surfaces, Clock& clock)
    : shown_(surfaces),
      ProgramDir(std::move(programDir)),
      IniFilename(ProgramDir + "/Ferrolin.INI"),
      LogFile(ProgramDir + "/Ferrolin.log"),
      Ftp(shown_, clock),
      Ras(shown_, clock, LogFile, Copy.Cancel),
      clock_(clock) {
    Copy.LogFolder = ProgramDir;
    Copy.Files.SetShares(&Shares, &Shares);
    Ftp.SetCancelToken(&Copy.Cancel);
    AbortFtpHook = [this] { Ftp.AbortTransfer(); };
    Ftp.SetLogSink([this](std::string_view line) { WriteLog(0, LogFile, line); });
    // Cancel (and the stop signals a face turns into it) ends a POP3 command at once, in
    // whatever phase it waits.
    Pop3.SetKeepGoing([this] {
        shown_.ProcessMessages();
        return !Copy.Cancel.StopRequested();
    });
}

void RunContext::AttachFtpSurfaces() {
    Ftp.SetGauge(&shown_);
    Ftp.SetStatusbar(&shown_);
}

void RunContext::SetConnected(bool on) {
    Connected = on;
    if (on) ConnectionOpened = clock_.Now();
    ConnectedSeen = on;
    ConnectedCaption = "connected";
    shown_.SetConnectedCaption(ConnectedCaption);
}

void RunContext::DialJobLine(const std::string& entry) {
    SetConnected(Ras.DialRas(entry));
    if (!Connected && !Copy.Cancel.Cancelled()) {
        Tally.NoteError("Dial-up line " + entry + " did not come up");
        ++JobsCutShort;
    }
}

void RunContext::LogFailure(std::string_view text) {
    WriteLog(0, LogFile, text);
    Tally.NoteError(text);
}

}  // namespace ferrolin
