// Parses arbitrary listing text in both forms and checks what the parser promises: every
// non-empty line is an entry or a skipped line, names are taken from their line, sizes
// are not negative, and Windows-1252 names survive the way to UTF-8 and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocols/cp1252.h"
#include "protocols/ftp_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto format = data[0] & 1 ? ferrolin::FtpListFormat::Mlsd : ferrolin::FtpListFormat::List;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int64_t now = 1765281600;  // 2025-12-09 12:00 UTC
    const ferrolin::FtpListing listing = ferrolin::ParseFtpListing(text, format, now);

    size_t lines = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) ++lines;
        start = end + 1;
    }
    if (listing.entries.size() + listing.skippedLines.size() > lines) std::abort();

    for (const ferrolin::FtpEntry& entry : listing.entries) {
        if (entry.size < 0 || entry.name != entry.serverName) std::abort();
        if (entry.name.empty() || text.find(entry.name) == std::string_view::npos) std::abort();
        if (entry.name.find('\n') != std::string::npos) std::abort();
        if (entry.refused != ferrolin::IsRefusedRemoteName(entry.name)) std::abort();
        const auto back = ferrolin::Utf8ToCp1252(ferrolin::Cp1252ToUtf8(entry.name));
        if (!back || *back != entry.name) std::abort();
    }
    return 0;
}
