#pragma once
// The event log the faces write their start and end lines to (the station's LogFile).
#include "common/log.h"  // IWYU pragma: export
