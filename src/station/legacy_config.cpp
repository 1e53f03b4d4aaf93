#include "station/legacy_config.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

bool MoveLegacyConfig(Station& station) {
    const std::string legacy = platform::JoinPath(station.ProgramDir, kLegacyIniName);
    if (platform::FileExists(station.IniFilename) || !platform::FileExists(legacy)) return false;
    // Never over something else that sits under the new name (a folder, say).
    if (int32_t rc = platform::MoveFile(legacy, station.IniFilename, false)) {
        station.surfaces().AppendError("Unable to move " + legacy + " to " +
                                       station.IniFilename + ": " + platform::ErrorMessage(rc));
        return false;
    }
    return true;
}

}  // namespace ferrolin
