#include "config/delete_limit.h"

#include <charconv>
#include <limits>

namespace ferrolin {

size_t DeleteLimit::Allowed(size_t destinationFiles) const {
    switch (kind) {
        case Kind::None:
            return std::numeric_limits<size_t>::max();
        case Kind::Count:
            return value;
        case Kind::Percent:
            break;
    }
    // Whole hundreds and the rest apart: a share of a huge listing never wraps round.
    return destinationFiles / 100 * value + destinationFiles % 100 * value / 100;
}

std::optional<DeleteLimit> ParseDeleteLimit(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return DeleteLimit{};
    DeleteLimit limit;
    limit.kind = DeleteLimit::Kind::Count;
    if (text.back() == '%') {
        limit.kind = DeleteLimit::Kind::Percent;
        text.remove_suffix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, limit.value);
    if (parsed.ec != std::errc() || parsed.ptr != end) return std::nullopt;
    if (limit.kind == DeleteLimit::Kind::Percent && limit.value > 100) return std::nullopt;
    return limit;
}

}  // namespace ferrolin
