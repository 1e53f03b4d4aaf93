// Any bytes as a configuration file: the line check neither crashes nor names a line the
// file does not have, and every finding has a text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/profile_document.h"
#include "station/config_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t lines = ferrolin::ProfileDocument::Parse(text).Lines().size();
    for (const ferrolin::ConfigFinding& finding : ferrolin::CheckConfigLines(text)) {
        if (finding.line == 0 || finding.line > lines) std::abort();
        if (ferrolin::FindingText(finding).empty()) std::abort();
    }
    return 0;
}
