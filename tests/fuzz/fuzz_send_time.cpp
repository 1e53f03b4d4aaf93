// Runs the send-time computation over any stored weekday list (the value of a "...Fu10" key,
// lines separated by ";"): whatever the lines hold, the next start is never before the
// moment asked about, never more than a day and a half after it, and always computed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "schedule/send_time.h"

namespace {

std::vector<std::string> SplitLines(std::string_view value) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin <= value.size()) {
        const size_t end = value.find(';', begin);
        lines.emplace_back(value.substr(begin, end == std::string_view::npos ? end : end - begin));
        if (end == std::string_view::npos) break;
        begin = end + 1;
    }
    return lines;
}

void Check(ferrolin::TDateTime x, ferrolin::TDateTime next) {
    if (!std::isfinite(next)) std::abort();
    if (next < x - ferrolin::kOneMillisecond) std::abort();
    if (next > x + 1.5) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes pick the moment (minutes of the day) and the mode.
    const int minuteOfDay = (data[0] * 256 + data[1]) % 1440;
    const bool absolute = (data[0] & 0x80) != 0;
    const std::string_view value(reinterpret_cast<const char*>(data + 2), size - 2);
    const ferrolin::TDateTime x =
        ferrolin::EncodeDate(2026, 12, 9) + minuteOfDay * ferrolin::kOneMinute + 0.25 * ferrolin::kOneSecond;

    std::vector<std::string> lines = SplitLines(value);
    Check(x, ferrolin::NextSendTime({true, absolute, ""}, lines, x));
    Check(x, ferrolin::NextStartAfterManualRun(SplitLines(value), x));
    std::vector<std::string> unused;
    Check(x, ferrolin::NextSendTime({false, absolute, std::string(value.substr(0, 16))}, unused, x));
    return 0;
}
