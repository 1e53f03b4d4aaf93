// Runs the run-record reader over any line (Runs.jsonl is read back by status, the alarms
// and the window; a line may be cut off or garbled). Whatever the line holds, the reader
// returns or refuses without fault, and what it accepts is written again to a line it
// reads back to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/json.h"
#include "station/run_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    (void)ferrolin::JsonValue::Parse(line);
    const std::optional<ferrolin::RunRecord> record = ferrolin::ParseRunRecord(line);
    if (!record) return 0;
    const std::string again = ferrolin::RunRecordJson(*record);
    // The writer's text is one line of plain ASCII.
    for (const char c : again)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            std::abort();
    const std::optional<ferrolin::RunRecord> back = ferrolin::ParseRunRecord(again);
    if (!back || ferrolin::RunRecordJson(*back) != again) std::abort();
    return 0;
}
