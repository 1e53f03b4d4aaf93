#pragma once
// What the station needs from a face (status text, Errors list, gauge, questions), for
// the faces that implement it.
#include "common/surfaces.h"  // IWYU pragma: export
