#pragma once
// The lines of a multi-line text field as a list: a line break at the very end starts no
// further line, and an empty text has no lines.
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

std::vector<std::string> SplitMemoLines(std::string_view text);
std::string JoinMemoLines(const std::vector<std::string>& lines);

}  // namespace ferrolin
