#include "config/job_section.h"

#include <array>

#include "common/text.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// One key of a job section and the TransferJob field it fills. Exactly one of the four
// member pointers is set.
struct JobKey {
    const char* key;
    std::string TransferJob::*text = nullptr;
    bool TransferJob::*flag = nullptr;
    uint8_t TransferJob::*choice = nullptr;
    uint8_t itemCount = 0;
    bool keepsPrevious = false;  // a missing key leaves the editor's value
    uint32_t TransferJob::*number = nullptr;
    // Written only when it differs from its default or the section holds it already, so a
    // file that never used it keeps the keys it had.
    bool optional = false;
};

JobKey Text(const char* key, std::string TransferJob::*m, bool keeps = false) {
    return JobKey{key, m, nullptr, nullptr, 0, keeps};
}
JobKey Flag(const char* key, bool TransferJob::*m, bool keeps = false) {
    return JobKey{key, nullptr, m, nullptr, 0, keeps};
}
JobKey Choice(const char* key, uint8_t TransferJob::*m, uint8_t count) {
    return JobKey{key, nullptr, nullptr, m, count, false};
}
JobKey OptionalText(const char* key, std::string TransferJob::*m) {
    return JobKey{key, m, nullptr, nullptr, 0, false, nullptr, true};
}
JobKey OptionalFlag(const char* key, bool TransferJob::*m) {
    return JobKey{key, nullptr, m, nullptr, 0, false, nullptr, true};
}
JobKey OptionalNumber(const char* key, uint32_t TransferJob::*m) {
    return JobKey{key, nullptr, nullptr, nullptr, 0, false, m, true};
}

// In the order the keys are written into a new section.
const std::array<JobKey, 32>& JobKeys() {
    using J = TransferJob;
    static const std::array<JobKey, 32> keys = {
        Text("Name", &J::name),
        Choice("SourceType", &J::sourceType, kSourceTypeCount),
        Text("SendeVerzeichnis", &J::source),
        Text("SourceLName", &J::sourceUser),
        Text("SourceLPassword", &J::sourcePassword),
        Flag("SourceDelete", &J::deleteSource),
        Text("CLFile", &J::compareListFile),
        Text("ExcludeExtensions", &J::excludeExtensions),
        Text("EmpfangsVerzeichnis", &J::destination),
        Text("DestLName", &J::destinationUser),
        Text("DestLPassword", &J::destinationPassword),
        Choice("Buffering", &J::buffering, kBufferingCount),
        Choice("CopyMode", &J::copyMode, kCopyModeCount),
        Text("DestDelDelay", &J::deleteDelay),
        Flag("AddTimeStampC", &J::addTimeStamp, true),
        Text("AddTimeStampE", &J::timeStampFormat, true),
        Text("MaxByteRate", &J::maxByteRate),
        Text("DRasEintrag", &J::dialUpEntry),
        Choice("UseRasFor", &J::dialUpFor, kUseRasForCount),
        Flag("PassiveMode", &J::passiveMode, true),
        Flag("UseTempFile", &J::useTempFile),
        Choice("ReportLevel", &J::reportLevel, kReportLevelCount),
        Choice("ParsingType", &J::subfolders, kParsingTypeCount),
        Flag("EMailSaveHeader", &J::saveMailHeader, true),
        Flag("EmailDecodeMessage", &J::decodeMail),
        Flag("EmailEraseFirst", &J::eraseFolderFirst),
        Flag("EMailSaveBody", &J::saveMailBody, true),
        Choice("Modemspeed", &J::timeoutChoice, kModemspeedCount),
        Text("SshKeyFile", &J::sshKeyFile),
        OptionalFlag("AllowEmptySource", &J::allowEmptySource),
        OptionalText("MaxDelete", &J::maxDelete),
        OptionalNumber("SettleSeconds", &J::settleSeconds),
    };
    return keys;
}

const JobKey* FindJobKey(std::string_view key) {
    for (const JobKey& k : JobKeys()) {
        if (EqualsIgnoreAsciiCase(k.key, key)) return &k;
    }
    return nullptr;
}

bool SameValue(const JobKey& k, const TransferJob& a, const TransferJob& b) {
    if (k.text != nullptr) return a.*k.text == b.*k.text;
    if (k.flag != nullptr) return a.*k.flag == b.*k.flag;
    if (k.number != nullptr) return a.*k.number == b.*k.number;
    return a.*k.choice == b.*k.choice;
}

}  // namespace

std::vector<StoredKey> JobStoredKeys() {
    std::vector<StoredKey> keys{{"Active", StoredKind::Flag}};
    for (const JobKey& k : JobKeys()) {
        if (k.text != nullptr) {
            keys.push_back({k.key, StoredKind::Text});
        } else if (k.flag != nullptr) {
            keys.push_back({k.key, StoredKind::Flag});
        } else if (k.number != nullptr) {
            keys.push_back({k.key, StoredKind::Integer});
        } else {
            keys.push_back({k.key, StoredKind::Choice, k.itemCount});
        }
    }
    return keys;
}

std::string DefaultJobValue(std::string_view key) {
    const JobKey* k = FindJobKey(key);
    if (k == nullptr) return EqualsIgnoreAsciiCase(key, "Active") ? "0" : "";
    const TransferJob fresh;
    if (k->text != nullptr) return fresh.*k->text;
    if (k->flag != nullptr) return fresh.*k->flag ? "1" : "0";
    if (k->number != nullptr) return std::to_string(fresh.*k->number);
    return std::to_string(fresh.*k->choice);
}

std::string JobSectionName(int n) {
    return "Kopf" + std::to_string(n);
}

TransferJob ReadJobSection(const ProfileFile& ini, int n, const TransferJob& previous) {
    const std::string section = JobSectionName(n);
    ProfileFile::Snapshot snapshot(ini);
    const TransferJob fixed;
    TransferJob job;
    job.active = previous.active;
    for (const JobKey& k : JobKeys()) {
        const TransferJob& defaults = k.keepsPrevious ? previous : fixed;
        if (k.text != nullptr) {
            job.*k.text = ini.ReadString(section, k.key, defaults.*k.text);
        } else if (k.flag != nullptr) {
            job.*k.flag = ini.ReadBool(section, k.key, defaults.*k.flag);
        } else if (k.number != nullptr) {
            const int32_t n =
                ini.ReadInteger(section, k.key, static_cast<int32_t>(defaults.*k.number));
            job.*k.number = n < 0 ? 0 : static_cast<uint32_t>(n);
        } else {
            job.*k.choice = ini.ReadChoice(section, k.key, defaults.*k.choice, k.itemCount);
        }
    }
    // A share written the Windows way (\\server\share\dir) names the same share.
    for (std::string* path : {&job.source, &job.destination}) {
        if (path->rfind("\\\\", 0) != 0) continue;
        for (char& c : *path)
            if (c == '\\') c = platform::kPathSeparator;
    }
    std::string& source = job.source;
    if (source.size() > 1 && source.back() == platform::kPathSeparator) source.pop_back();
    return job;
}

std::vector<std::string> OutOfRangeChoices(const ProfileFile& ini, int n) {
    const std::string section = JobSectionName(n);
    ProfileFile::Snapshot snapshot(ini);
    std::vector<std::string> wrong;
    for (const JobKey& k : JobKeys()) {
        if (k.choice == nullptr || k.choice == &TransferJob::subfolders ||
            !ini.ValueExists(section, k.key))
            continue;
        const int32_t value = ini.ReadInteger(section, k.key, 0);
        if (value < 0 || value >= k.itemCount)
            wrong.push_back(std::string(k.key) + "=" + ini.ReadString(section, k.key, ""));
    }
    return wrong;
}

void WriteJobSection(ProfileFile& ini, int n, const TransferJob& job) {
    const std::string section = JobSectionName(n);
    ProfileFile::Batch batch(ini);
    const TransferJob fresh;
    for (const JobKey& k : JobKeys()) {
        if (k.text == &TransferJob::timeStampFormat && !job.addTimeStamp) continue;
        if (k.optional && !ini.ValueExists(section, k.key) && SameValue(k, job, fresh)) continue;
        if (k.text != nullptr) {
            ini.WriteString(section, k.key, job.*k.text);
        } else if (k.flag != nullptr) {
            ini.WriteBool(section, k.key, job.*k.flag);
        } else if (k.number != nullptr) {
            ini.WriteInteger(section, k.key, job.*k.number);
        } else {
            ini.WriteInteger(section, k.key, job.*k.choice);
        }
    }
    batch.Commit();
}

}  // namespace ferrolin
