#include "engine/run_context.h"

#include <utility>

namespace ferrolin {

RunContext::RunContext(std::string programDir, Surfaces& surfaces, Clock& clock)
    : ProgramDir(std::move(programDir)),
      IniFilename(ProgramDir + "/Ferrolin.INI"),
      LogFile(ProgramDir + "/Ferrolin.log"),
      Ftp(surfaces, clock),
      surfaces_(surfaces),
      clock_(clock) {
    Copy.LogFolder = ProgramDir;
    Ftp.SetCancelToken(&Copy.Cancel);
    AbortFtpHook = [this] { Ftp.AbortTransfer(); };
}

void RunContext::SetConnected(bool on) {
    Connected = on;
    if (on) ConnectionOpened = clock_.Now();
    ConnectedSeen = on;
    ConnectedCaption = "connected";
    surfaces_.SetConnectedCaption(ConnectedCaption);
}

}  // namespace ferrolin
