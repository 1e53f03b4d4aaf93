#pragma once
// The most files one mirror step may delete, as the job's "MaxDelete" key gives it: empty
// for no limit, a count ("40"), or a share of the destination's files ("25%").
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ferrolin {

struct DeleteLimit {
    enum class Kind : uint8_t { None, Count, Percent };
    Kind kind = Kind::None;
    uint32_t value = 0;  // files, or percent (0 to 100)

    // The most deletions allowed where the destination holds destinationFiles files (a
    // share rounds down: 25% of 10 files allows 2).
    size_t Allowed(size_t destinationFiles) const;
    bool operator==(const DeleteLimit&) const = default;
};

// What the key may hold, for messages.
inline constexpr std::string_view kDeleteLimitForms =
    "empty (no limit), a number of files such as 40, or a share such as 25%";

// Nothing when the text is none of the three forms (blanks around it are allowed).
std::optional<DeleteLimit> ParseDeleteLimit(std::string_view text);

}  // namespace ferrolin
