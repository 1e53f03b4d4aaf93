#pragma once
// Whether the station's MPEG libraries are loaded, for the options the window offers.
#include "files/mpeg_check.h"  // IWYU pragma: export
