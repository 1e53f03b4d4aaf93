// The texts of the findings of "check", and the check of a program folder as a whole.
#include <algorithm>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/whole_file.h"
#include "station/config_check.h"

namespace ferrolin {

namespace {

std::string Where(const ConfigFinding& f) {
    std::string where = f.section.empty() ? "" : "[" + f.section + "]";
    if (!f.key.empty()) where += (where.empty() ? "" : " ") + f.key + "=" + f.value;
    return where.empty() ? "" : where + ": ";
}

}  // namespace

std::string FindingText(const ConfigFinding& f) {
    const std::string where = Where(f);
    switch (f.kind) {
        case FindingKind::Unreadable:
            return "cannot be read: " + f.detail;
        case FindingKind::NoConfig:
            return "there is no Ferrolin.INI in the program folder (the defaults are used)";
        case FindingKind::StrayLine:
            return where +
                   "this line is neither a [section], a key=value nor a ;comment: "
                   "it is ignored";
        case FindingKind::UnknownSection:
            return "[" + f.section + "]: unknown section, ignored";
        case FindingKind::UnknownKey:
            return where + "unknown key, ignored";
        case FindingKind::DuplicateSection:
            return "[" + f.section +
                   "]: a second section of this name, ignored (the first is read)";
        case FindingKind::DuplicateKey:
            return where + "a second line of this key, ignored (the first is read)";
        case FindingKind::JobPastCount:
            return "[" + f.section + "]: past the job count (AnzKopfstellen=" + f.detail +
                   "), never run";
        case FindingKind::BadValue:
            return where + "not a value the program can use; use " + f.detail;
        case FindingKind::MissingFolder:
            return where + "the " + f.detail + " folder does not exist";
        case FindingKind::MissingFile:
            return where + "the " + f.detail + " does not exist";
        case FindingKind::NotWritable:
            return where + "the destination folder is not writable for this user";
        case FindingKind::BadAddress:
            return where + "the address does not parse: " + f.detail;
        case FindingKind::DestinationIsSource:
            return where + "the destination is the source folder itself";
        case FindingKind::DestinationInsideSource:
            return where + "the destination lies inside the source folder";
        case FindingKind::DestinationIsProgramFolder:
            return where + "the destination is the program folder (Ferrolin.INI and the logs)";
        case FindingKind::MaskNamesFolder:
            return where + "the last part holds a \".\", so it is read as a file mask in " +
                   f.detail + ", not as the folder of that name";
        case FindingKind::LogonFailed:
            return where + "logon failed: " + f.detail;
    }
    return where;
}

std::vector<ConfigFinding> CheckProgramFolderConfig(const std::string& programDir, bool connect) {
    const std::string iniFile = programDir + "/Ferrolin.INI";
    if (!platform::FileExists(iniFile)) return {{0, FindingKind::NoConfig, "", "", "", ""}};
    std::string text;
    if (const int32_t error = platform::ReadWholeFile(iniFile, text); error != 0)
        return {{0, FindingKind::Unreadable, "", "", "", platform::ErrorMessage(error)}};
    std::vector<ConfigFinding> findings = CheckConfigLines(text);
    for (auto more : {CheckConfigJobs(iniFile, programDir),
                      connect ? CheckConfigConnections(iniFile) : std::vector<ConfigFinding>{}}) {
        findings.insert(findings.end(), more.begin(), more.end());
    }
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const ConfigFinding& a, const ConfigFinding& b) { return a.line < b.line; });
    return findings;
}

}  // namespace ferrolin
