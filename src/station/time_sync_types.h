#pragma once
// The time synchronisation's settings, results and the panel it reports to.
#include "remote/time_sync.h"  // IWYU pragma: export
#include "remote/time_sync_panel.h"  // IWYU pragma: export
