#pragma once
// The failure a write to the configuration file ends in, for the faces that show it.
#include "config/profile_write_error.h"  // IWYU pragma: export
