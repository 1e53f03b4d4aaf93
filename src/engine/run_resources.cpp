#include "engine/run_resources.h"

#include <utility>

namespace ferrolin {

RunResources::RunResources(std::string programDir, Surfaces& surfaces, Clock& clock)
    : shown_(surfaces),
      ProgramDir(std::move(programDir)),
      IniFilename(ProgramDir + "/Ferrolin.INI"),
      LogFile(ProgramDir + "/Ferrolin.log"),
      Log(ProgramDir, LogFile),
      Sessions(shown_, clock, Copy.Cancel, LogFile),
      Line(shown_, clock, LogFile, Copy.Cancel),
      clock_(clock) {
    Copy.LogFolder = ProgramDir;
    Copy.Files.SetShares(&Shares, &Shares);
    // Secure servers are checked against the host keys and certificates kept beside the
    // program.
    Sessions.Ftp.SetTrust(HostTrust(ProgramDir));
}

RunContext RunResources::Context() {
    return RunContext{shown_,      clock_, Log,  Options,  RunMode,     Line.RasIndex > 0,
                      Copy.Cancel, Copy,   Mpeg, Sessions, IniFilename, Jobs.size()};
}

}  // namespace ferrolin
