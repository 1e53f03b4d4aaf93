#include "files/temp_name.h"

#include <cstdint>
#include <cstdio>

#include "platform/path.h"

namespace ferrolin {

namespace {

constexpr const char* kTempSuffix = ".tmp";
// What is kept of a long name: room for "~", eight hex digits and ".tmp".
constexpr size_t kKeptBytes = kMaxFileNameBytes - 1 - 8 - 4;

uint32_t NameHash(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

}  // namespace

std::string TempPathFor(const std::string& dest) {
    const size_t slash = dest.rfind(platform::kPathSeparator);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = dest.substr(nameStart);
    if (name.size() + 4 <= kMaxFileNameBytes) return dest + kTempSuffix;
    // Cut at a character boundary (never inside a UTF-8 sequence), then tell files with
    // the same beginning apart by a hash of the whole name.
    size_t keep = kKeptBytes;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    char tail[16];
    std::snprintf(tail, sizeof tail, "~%08x", NameHash(name));
    return dest.substr(0, nameStart) + name.substr(0, keep) + tail + kTempSuffix;
}

}  // namespace ferrolin
