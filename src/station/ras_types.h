#pragma once
// The dial-up lines: the dial-up state the dial-up window drives and its default entry.
#include "remote/ras_default.h"  // IWYU pragma: export
#include "remote/ras_dial_up.h"  // IWYU pragma: export
