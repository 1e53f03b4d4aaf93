#include "engine/run_context.h"

#include <utility>

#include "common/log.h"

namespace ferrolin {

RunContext::RunContext(std::string programDir, Surfaces& surfaces, Clock& clock)
    : ProgramDir(std::move(programDir)),
      IniFilename(ProgramDir + "/Ferrolin.INI"),
      LogFile(ProgramDir + "/Ferrolin.log"),
      Ftp(surfaces, clock),
      Ras(surfaces, clock, LogFile, Copy.Cancel),
      surfaces_(surfaces),
      clock_(clock) {
    Copy.LogFolder = ProgramDir;
    Copy.Files.SetShares(&Shares, &Shares);
    Ftp.SetCancelToken(&Copy.Cancel);
    AbortFtpHook = [this] { Ftp.AbortTransfer(); };
    Ftp.SetLogSink([this](std::string_view line) { WriteLog(0, LogFile, line); });
}

void RunContext::AttachFtpSurfaces() {
    Ftp.SetStatus(&surfaces_);
    Ftp.SetStatusbar(&surfaces_);
}

void RunContext::SetConnected(bool on) {
    Connected = on;
    if (on) ConnectionOpened = clock_.Now();
    ConnectedSeen = on;
    ConnectedCaption = "connected";
    surfaces_.SetConnectedCaption(ConnectedCaption);
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
