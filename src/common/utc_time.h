#pragma once
// Moments as the program's records store them: seconds since 1970 in UTC, written in the
// ISO 8601 form "2024-05-01T12:30:05Z", which sorts and reads the same everywhere.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

std::string FormatUtcIso(int64_t unixSeconds);

// Exactly the form FormatUtcIso writes; nothing for any other text or a date that does
// not exist.
std::optional<int64_t> ParseUtcIso(std::string_view text);

}  // namespace ferrolin
