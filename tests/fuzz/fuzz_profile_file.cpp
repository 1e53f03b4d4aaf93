// Any bytes parse as a profile file; the text comes back unchanged; one write changes
// that one key and keeps every other line and every other value.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/text.h"
#include "config/profile_document.h"

namespace {

using ferrolin::ProfileDocument;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The lines without their endings (a last line may gain one when a line is added).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    auto add = [&lines](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
    };
    size_t pos = 0;
    for (;;) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            add(text.substr(pos));
            return lines;
        }
        add(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

Values AllValues(const ProfileDocument& doc) {
    Values values;
    for (const std::string& section : doc.SectionNames()) {
        for (const std::string& key : doc.KeyNames(section)) {
            values[{ferrolin::AsciiLower(section), ferrolin::AsciiLower(key)}] =
                std::string(*doc.Find(section, key));
        }
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProfileDocument doc = ProfileDocument::Parse(text);
    Check(doc.Text() == text);

    // Write to a key the file has (chosen by the first byte), or to a new one.
    const auto sections = doc.SectionNames();
    const unsigned pick = size > 0 ? data[0] : 0;
    std::string section = "Kopf0";
    std::string key = "Name";
    if (!sections.empty() && pick % 4 != 0) {
        section = sections[pick % sections.size()];
        const auto keys = doc.KeyNames(section);
        if (!keys.empty() && pick % 3 != 0) key = keys[pick % keys.size()];
    }
    const std::string value = "fuzz=" + std::to_string(size);

    const Values before = AllValues(doc);
    try {
        doc.Set(section, key, value);
    } catch (const std::invalid_argument&) {
        return 0;  // a name from the file that cannot be written back as a name
    }
    const std::string after = doc.Text();
    const ProfileDocument reread = ProfileDocument::Parse(after);
    Check(reread.Find(section, key) == std::string_view(value));

    Values expected = before;
    expected[{ferrolin::AsciiLower(section), ferrolin::AsciiLower(key)}] = value;
    Check(AllValues(reread) == expected);

    // Only the written line differs; a new key adds one line, a new section two (and a
    // last line without an ending gets one).
    const auto oldLines = Lines(text);
    const auto newLines = Lines(after);
    size_t prefix = 0;
    while (prefix < oldLines.size() && prefix < newLines.size() &&
           oldLines[prefix] == newLines[prefix]) {
        ++prefix;
    }
    size_t suffix = 0;
    while (suffix < oldLines.size() - prefix && suffix < newLines.size() - prefix &&
           oldLines[oldLines.size() - 1 - suffix] == newLines[newLines.size() - 1 - suffix]) {
        ++suffix;
    }
    Check(oldLines.size() - prefix - suffix <= 1);
    Check(newLines.size() - prefix - suffix <= 3);

    // Erasing the section keeps every value of the other sections.
    ProfileDocument erased = ProfileDocument::Parse(after);
    erased.EraseSection(section);
    Values rest = AllValues(ProfileDocument::Parse(erased.Text()));
    for (const auto& [name, v] : expected) {
        if (name.first == ferrolin::AsciiLower(section)) continue;
        Check(rest.count(name) == 1 && rest[name] == v);
    }
    return 0;
}
