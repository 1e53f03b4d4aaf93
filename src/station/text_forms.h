#pragma once
// The program's text forms the faces show and read: date-times in the program-wide form
// and memo lines.
#include "common/datetime_format.h"  // IWYU pragma: export
#include "common/memo_lines.h"  // IWYU pragma: export
