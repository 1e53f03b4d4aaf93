#pragma once
// File masks as operators type them in a source ("*.mpg", "Spot??.*"): "*" any run of
// characters, "?" one character, letters compared without regard to case, and "*.*"
// matching every name, also names without a dot.
#include <string_view>

namespace ferrolin {

bool MatchesFileMask(std::string_view name, std::string_view mask);

}  // namespace ferrolin
