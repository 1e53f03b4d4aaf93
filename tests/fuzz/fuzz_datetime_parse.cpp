// Parses arbitrary text as a date, a time and a date-time; whatever parses must be a real
// moment that formats and parses back to itself.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "common/datetime_format.h"

namespace {

void CheckRoundTrip(std::optional<ferrolin::TDateTime> value) {
    if (!value) return;
    if (!std::isfinite(*value)) std::abort();
    const auto back = ferrolin::StrToDateTime(ferrolin::DateTimeToStr(*value));
    if (!back || std::fabs(*back - *value) > ferrolin::kOneMillisecond) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the regional order and separators.
    switch (data[0] % 3) {
        case 0:
            ferrolin::SetFormats(ferrolin::DeriveDateTimeFormats("dd.MM.yyyy", '.', ','));
            break;
        case 1:
            ferrolin::SetFormats(ferrolin::DeriveDateTimeFormats("M/d/yyyy", '/', '.'));
            break;
        default:
            ferrolin::SetFormats(ferrolin::DeriveDateTimeFormats("yyyy-MM-dd", '-', '.'));
            break;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckRoundTrip(ferrolin::StrToDate(text));
    CheckRoundTrip(ferrolin::StrToDateTime(text));
    if (const auto time = ferrolin::StrToTime(text)) {
        if (*time < 0 || *time >= 1) std::abort();
        CheckRoundTrip(*time + ferrolin::EncodeDate(2026, 12, 8));
    }
    // Formatting with an arbitrary pattern must not fail either.
    (void)ferrolin::FormatDateTime(text, ferrolin::EncodeDate(2026, 12, 8) + 0.5);
    return 0;
}
