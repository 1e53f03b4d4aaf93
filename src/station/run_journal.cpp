#include "station/run_journal.h"

#include "common/log.h"
#include "platform/path.h"
#include "platform/whole_file.h"

namespace ferrolin {

namespace {

void ReadRecordsOf(const std::string& path, std::vector<RunRecord>& records) {
    std::string content;
    if (platform::ReadWholeFile(path, content) != 0) return;
    size_t begin = 0;
    while (begin < content.size()) {
        size_t end = content.find('\n', begin);
        if (end == std::string::npos) end = content.size();
        std::string_view line(content.data() + begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (std::optional<RunRecord> record = ParseRunRecord(line))
            records.push_back(std::move(*record));
        begin = end + 1;
    }
}

}  // namespace

std::string RunRecordPath(const std::string& programDir) {
    return platform::JoinPath(programDir, kRunRecordFile);
}

bool AppendRunRecord(const std::string& programDir, const RunRecord& record) {
    return AppendRecordLine(RunRecordPath(programDir), RunRecordJson(record), kRunRecordFileLimit);
}

std::vector<RunRecord> ReadRunRecords(const std::string& programDir) {
    const std::string path = RunRecordPath(programDir);
    std::vector<RunRecord> records;
    ReadRecordsOf(PreviousGenerationName(path), records);
    ReadRecordsOf(path, records);
    return records;
}

std::optional<RunRecord> LastRunRecord(const std::string& programDir) {
    std::vector<RunRecord> records = ReadRunRecords(programDir);
    if (records.empty()) return std::nullopt;
    return std::move(records.back());
}

}  // namespace ferrolin
