#include "station/job_commands.h"

#include <limits>
#include <stdexcept>

#include "common/text.h"
#include "config/global_section.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "engine/transfer_kind.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

constexpr char kSourceKey[] = "SendeVerzeichnis";

JobCommandOutcome Refused(std::string problem) {
    return {true, std::move(problem), -1};
}

JobCommandOutcome Done(int job) {
    return {false, "", job};
}

std::string SettingNames() {
    std::string names;
    for (const JobSetting& s : JobSettings()) {
        if (!names.empty()) names += ", ";
        names += s.name;
    }
    return names;
}

std::optional<JobCommandOutcome> NoSuchJob(const ProfileFile& ini, int n) {
    const int count = ReadJobCount(ini);
    if (n >= 0 && n < count) return std::nullopt;
    if (count == 0) return Refused("there is no job " + std::to_string(n) + ": the list is empty");
    return Refused("there is no job " + std::to_string(n) + ": the jobs are 0 to " +
                   std::to_string(count - 1));
}

// True when the source text names a server or a share: the side whose logon the
// password is for.
bool SourceIsRemote(const ProfileFile& ini, const std::string& section) {
    const std::string source = ini.ReadString(section, kSourceKey, "");
    const auto type = static_cast<uint8_t>(ini.ReadInteger(section, "SourceType", 0));
    const TTransfer kind = DecideTransferKind(source, type);
    return platform::IsSharePath(source) || (kind != Tran_Windows && kind != Tran_FileList);
}

// "user": the logon name of the side that logs on to a server (as for the password).
constexpr char kRemoteUser[] = "user";

struct CheckedEdit {
    const JobSetting* setting;  // null for the remote side's user
    std::string stored;
};

// Every edit resolved and its value checked, or the first problem.
std::optional<std::string> CheckEdits(const std::vector<JobEdit>& edits,
                                      std::vector<CheckedEdit>& checked) {
    for (const JobEdit& edit : edits) {
        const JobSetting* setting = FindJobSetting(edit.name);
        if (setting == nullptr && EqualsIgnoreAsciiCase(edit.name, kRemoteUser)) {
            if (edit.value.find_first_of("\r\n") != std::string::npos)
                return "user: a value must be one line";
            checked.push_back({nullptr, edit.value});
            continue;
        }
        if (setting == nullptr && EqualsIgnoreAsciiCase(edit.name, "password")) {
            return "the password is read from standard input only: use --password-stdin";
        }
        if (setting == nullptr) {
            return "unknown setting \"" + edit.name + "\"; the settings are: " + SettingNames() +
                   ", and user (the logon of the side that is a server or share)";
        }
        if (setting->kind == SettingKind::Password) {
            return std::string(setting->name) +
                   " is read from standard input only: use --password-stdin";
        }
        StoredValue value = StoreSettingValue(*setting, edit.value);
        if (!value.problem.empty()) return value.problem;
        checked.push_back({setting, std::move(value.stored)});
    }
    return std::nullopt;
}

// Writes the checked edits into section: every other setting first, then the masks,
// which join the source as it is then.
std::optional<std::string> WriteEdits(ProfileFile& ini, const std::string& section,
                                      const std::vector<CheckedEdit>& edits,
                                      const std::optional<PasswordInput>& password) {
    for (const CheckedEdit& edit : edits) {
        if (edit.setting != nullptr && edit.setting->kind != SettingKind::Mask)
            ini.WriteString(section, edit.setting->key, edit.stored);
    }
    for (const CheckedEdit& edit : edits) {
        if (edit.setting == nullptr) {
            const bool source = SourceIsRemote(ini, section);
            ini.WriteString(section, source ? "SourceLName" : "DestLName", edit.stored);
            continue;
        }
        if (edit.setting->kind != SettingKind::Mask) continue;
        const std::string source = ini.ReadString(section, kSourceKey, "");
        if (source.find("://") != std::string::npos || source.empty() ||
            source.front() != platform::kPathSeparator) {
            return "mask: the source \"" + source + "\" is not a folder";
        }
        ini.WriteString(section, kSourceKey, WithSourceMask(source, edit.stored));
    }
    // A job without its own stamp format would use the one of the job read before it.
    if (ini.ReadBool(section, "AddTimeStampC", false) && !ini.ValueExists(section, "AddTimeStampE"))
        ini.WriteString(section, "AddTimeStampE", DefaultJobValue("AddTimeStampE"));
    if (password) {
        bool source = password->side == PasswordInput::Side::Source;
        if (password->side == PasswordInput::Side::Remote) source = SourceIsRemote(ini, section);
        if (password->text.find_first_of("\r\n") != std::string::npos)
            return "the password must be one line";
        ini.WriteString(section, source ? "SourceLPassword" : "DestLPassword", password->text);
    }
    return std::nullopt;
}

}  // namespace

std::string JobNumberProblem(const std::string& iniFile, int n) {
    const auto refused = NoSuchJob(ProfileFile(iniFile), n);
    return refused ? refused->problem : "";
}

std::optional<std::vector<JobSettingRow>> ShowJob(const std::string& iniFile, int n) {
    ProfileFile ini(iniFile);
    ProfileFile::Snapshot snapshot(ini);
    if (NoSuchJob(ini, n)) return std::nullopt;
    const std::string section = JobSectionName(n);
    std::vector<JobSettingRow> rows;
    for (const JobSetting& setting : JobSettings()) {
        JobSettingRow row;
        row.setting = &setting;
        row.present = ini.ValueExists(section, setting.key);
        row.stored =
            row.present ? ini.ReadString(section, setting.key, "") : DefaultJobValue(setting.key);
        row.shown = ShowSettingValue(setting, row.stored);
        rows.push_back(std::move(row));
    }
    return rows;
}

JobCommandOutcome AddJob(const std::string& iniFile, const std::string& name,
                         const std::vector<JobEdit>& edits,
                         const std::optional<PasswordInput>& password) {
    std::vector<CheckedEdit> checked;
    std::vector<JobEdit> all{{"name", name}};
    all.insert(all.end(), edits.begin(), edits.end());
    if (auto problem = CheckEdits(all, checked)) return Refused(*problem);
    for (const char* required : {"source", "destination"}) {
        bool given = false;
        for (const CheckedEdit& e : checked)
            given |= e.setting != nullptr && e.setting->name == required && !e.stored.empty();
        if (!given) return Refused(std::string("a new job needs a ") + required);
    }

    ProfileFile ini(iniFile);
    ProfileFile::Batch batch(ini);
    const int n = ReadJobCount(ini);
    // The count is stored as 16 bits: one more job would read back as an empty list.
    if (n >= std::numeric_limits<uint16_t>::max()) return Refused("no more jobs can be added");
    // The count first, so a new file begins with its Global section.
    WriteJobCount(ini, static_cast<size_t>(n) + 1);
    const std::string section = JobSectionName(n);
    // A section left past the end of the list belongs to no job; the new job must not
    // inherit its settings (a password among them).
    ini.EraseSection(section);
    WriteJobSection(ini, n, TransferJob{});
    ini.WriteBool(section, "Active", true);
    if (auto problem = WriteEdits(ini, section, checked, password)) return Refused(*problem);
    batch.Commit();
    return Done(n);
}

JobCommandOutcome SetJob(const std::string& iniFile, int n, const std::vector<JobEdit>& edits,
                         const std::optional<PasswordInput>& password) {
    if (edits.empty() && !password) return Refused("nothing to set: give name=value");
    std::vector<CheckedEdit> checked;
    if (auto problem = CheckEdits(edits, checked)) return Refused(*problem);
    ProfileFile ini(iniFile);
    ProfileFile::Batch batch(ini);
    if (auto refused = NoSuchJob(ini, n)) return *refused;
    if (auto problem = WriteEdits(ini, JobSectionName(n), checked, password))
        return Refused(*problem);
    batch.Commit();
    return Done(n);
}

JobCommandOutcome EnableJob(const std::string& iniFile, int n, bool enabled) {
    ProfileFile ini(iniFile);
    ProfileFile::Batch batch(ini);
    if (auto refused = NoSuchJob(ini, n)) return *refused;
    ini.WriteBool(JobSectionName(n), "Active", enabled);
    batch.Commit();
    return Done(n);
}

JobCommandOutcome RemoveJob(const std::string& iniFile, int n) {
    ProfileFile ini(iniFile);
    ProfileFile::Batch batch(ini);
    if (auto refused = NoSuchJob(ini, n)) return *refused;
    const int count = ReadJobCount(ini);
    ini.EraseSection(JobSectionName(n));
    for (int c = n + 1; c < count; ++c) ini.RenameSection(JobSectionName(c), JobSectionName(c - 1));
    WriteJobCount(ini, static_cast<size_t>(count) - 1);
    batch.Commit();
    return Done(n);
}

JobCommandOutcome MoveJob(const std::string& iniFile, int n, int m) {
    ProfileFile ini(iniFile);
    ProfileFile::Batch batch(ini);
    if (auto refused = NoSuchJob(ini, n)) return *refused;
    if (auto refused = NoSuchJob(ini, m)) return *refused;
    if (n == m) return Done(m);
    // The moving job waits under a name no job section has while the others shift.
    std::string parked = "Kopf-moving";
    while (ini.SectionExists(parked)) parked += "-";
    ini.RenameSection(JobSectionName(n), parked);
    const int step = n < m ? 1 : -1;
    for (int c = n + step; c != m + step; c += step)
        ini.RenameSection(JobSectionName(c), JobSectionName(c - step));
    ini.RenameSection(parked, JobSectionName(m));
    batch.Commit();
    return Done(m);
}

}  // namespace ferrolin
