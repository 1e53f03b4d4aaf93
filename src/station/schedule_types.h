#pragma once
// The send-time editor and the automatic mode's state, as the faces show them.
#include "schedule/auto_mode.h"  // IWYU pragma: export
#include "schedule/send_time_editor.h"  // IWYU pragma: export
