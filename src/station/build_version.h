#pragma once
// The program's name and version as this build was made.
#include "version.h"  // IWYU pragma: export
