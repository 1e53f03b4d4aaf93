#pragma once
// Stations that ran the program under its former name keep their settings in
// Quillomat.INI; at start-up that file is moved into place as Ferrolin.INI.
#include <string>

#include "station/station.h"

namespace ferrolin {

inline constexpr char kLegacyIniName[] = "Quillomat.INI";

// When IniFilename does not exist and the program folder holds Quillomat.INI, moves it
// to IniFilename. True when a file was moved. A failed move is reported on the "Errors"
// list and the settings take their defaults.
bool MoveLegacyConfig(Station& station);

}  // namespace ferrolin
