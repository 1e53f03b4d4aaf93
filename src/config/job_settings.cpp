#include "config/job_settings.h"

#include "common/datetime_format.h"
#include "common/text.h"
#include "config/delete_limit.h"
#include "config/profile_document.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

using K = SettingKind;

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<bool> ParseYesNo(std::string_view text) {
    const std::string t = AsciiLower(TrimBlanks(text));
    if (t == "yes" || t == "on" || t == "true" || t == "1") return true;
    if (t == "no" || t == "off" || t == "false" || t == "0") return false;
    return std::nullopt;
}

std::string Problem(const JobSetting& setting, std::string_view plain) {
    return std::string(setting.name) + ": \"" + std::string(plain) + "\" is not allowed; use " +
           AllowedValues(setting);
}

}  // namespace

const std::vector<JobSetting>& JobSettings() {
    static const std::vector<JobSetting> settings = {
        {"enabled", "Active", K::Flag, {}, "the job takes part in runs"},
        {"name", "Name", K::Text, {}, "the job's name in the list"},
        {"source",
         "SendeVerzeichnis",
         K::Text,
         {},
         "folder (with an optional mask), list file, ftp:// (sftp://, ftps://, ftpes://), http:// "
         "or mail address"},
        {"mask", "SendeVerzeichnis", K::Mask, {}, "file mask of a folder source, such as *.mpg"},
        {"source-type",
         "SourceType",
         K::Choice,
         {"auto", "folder", "ftp", "http", "mail", "list-file"},
         "how the source text is read"},
        {"source-user", "SourceLName", K::Text, {}, "logon name for the source"},
        {"source-password", "SourceLPassword", K::Password, {}, "password for the source"},
        {"delete-source", "SourceDelete", K::Flag, {}, "delete each source file after its copy"},
        {"compare-list", "CLFile", K::Text, {}, "file naming the source files to take"},
        {"exclude",
         "ExcludeExtensions",
         K::Text,
         {},
         "name endings to leave out, such as .tmp;.~pc"},
        {"destination",
         "EmpfangsVerzeichnis",
         K::Text,
         {},
         "folder, ftp:// (sftp://, ftps://, ftpes://) address, or the target file of an HTTP "
         "source"},
        {"destination-user", "DestLName", K::Text, {}, "logon name for the destination"},
        {"destination-password", "DestLPassword", K::Password, {}, "password for the destination"},
        {"recursive", "ParsingType", K::Recursion, {}, "include subfolders"},
        {"mode",
         "CopyMode",
         K::Choice,
         {"newer", "only-newer", "always", "mirror", "shortcuts"},
         "newer or different size, only newer, copy any way, source is master, shortcuts only"},
        {"delete-delay",
         "DestDelDelay",
         K::Days,
         {},
         "mirror: days a file without source is kept (0 deletes at once)"},
        {"rate-limit", "MaxByteRate", K::Rate, {}, "MiB per second, 0 for no limit"},
        {"buffering",
         "Buffering",
         K::Choice,
         {"automatic", "disabled", "enabled"},
         "the copier's buffering"},
        {"temp-file",
         "UseTempFile",
         K::Flag,
         {},
         "write to a temporary name, rename when complete"},
        {"time-stamp", "AddTimeStampC", K::Flag, {}, "insert a time stamp into received names"},
        {"time-stamp-format", "AddTimeStampE", K::Text, {}, "format of that stamp, yymmddhhnnss"},
        {"passive", "PassiveMode", K::Flag, {}, "FTP passive mode"},
        {"ssh-key-file",
         "SshKeyFile",
         K::Text,
         {},
         "SFTP: private key file for key logon (the password is its passphrase)"},
        {"timeout", "Modemspeed", K::Choice, {"5", "30", "60"}, "FTP time-out in seconds"},
        {"report-level",
         "ReportLevel",
         K::Choice,
         {"none", "informational", "basic", "routines", "debug", "trace"},
         "FTP report level"},
        {"mail-save-header", "EMailSaveHeader", K::Flag, {}, "save each mail's subject to a file"},
        {"mail-save-body", "EMailSaveBody", K::Flag, {}, "save message bodies to files"},
        {"mail-decode", "EmailDecodeMessage", K::Flag, {}, "decode the mails' MIME structure"},
        {"mail-erase-first",
         "EmailEraseFirst",
         K::Flag,
         {},
         "empty the destination folder before each mail is saved"},
        {"dial-up", "DRasEintrag", K::Text, {}, "dial-up entry to dial (see dial-entries)"},
        {"dial-up-for",
         "UseRasFor",
         K::Choice,
         {"destination", "source"},
         "the side that needs the dial-up line"},
        {"allow-empty-source",
         "AllowEmptySource",
         K::Flag,
         {},
         "mirror: an empty source may empty the destination"},
        {"max-delete",
         "MaxDelete",
         K::DeleteLimit,
         {},
         "mirror: most deletions per run, a count or a share like 25% (empty: no limit)"},
        {"settle-seconds",
         "SettleSeconds",
         K::Seconds,
         {},
         "files written fewer seconds ago wait for a later run (0: none wait)"},
    };
    return settings;
}

const JobSetting* FindJobSetting(std::string_view name) {
    if (EqualsIgnoreAsciiCase(name, "dest")) name = "destination";
    for (const JobSetting& s : JobSettings()) {
        if (EqualsIgnoreAsciiCase(s.name, name)) return &s;
    }
    // The mask shares its key with the source; the key names the source.
    for (const JobSetting& s : JobSettings()) {
        if (s.kind != SettingKind::Mask && EqualsIgnoreAsciiCase(s.key, name)) return &s;
    }
    return nullptr;
}

std::optional<int> StoredNumber(std::string_view stored) {
    const std::optional<int32_t> n = ParseProfileInteger(TrimBlanks(stored));
    if (!n) return std::nullopt;
    return *n;
}

std::string AllowedValues(const JobSetting& setting) {
    switch (setting.kind) {
        case K::Flag:
        case K::Recursion:
            return "yes or no";
        case K::Choice: {
            std::string out;
            for (size_t i = 0; i < setting.choices.size(); ++i) {
                if (i > 0) out += i + 1 == setting.choices.size() ? " or " : ", ";
                out += setting.choices[i];
            }
            return out;
        }
        case K::Days:
            return "a whole number of days, 0 or more";
        case K::Rate:
            return "a number of MiB per second such as 0 (no limit), 2 or 2.5";
        case K::Seconds:
            return "a whole number of seconds, 0 to 65535";
        case K::DeleteLimit:
            return std::string(kDeleteLimitForms);
        case K::Mask:
            return "a file mask holding a \".\" and no \"/\", such as *.mpg or *.*";
        case K::Text:
        case K::Password:
            break;
    }
    return "any text on one line";
}

StoredValue StoreSettingValue(const JobSetting& setting, std::string_view plain) {
    if (plain.find_first_of("\r\n") != std::string_view::npos) {
        return {"", std::string(setting.name) + ": a value must be one line"};
    }
    switch (setting.kind) {
        case K::Flag:
        case K::Recursion:
            if (auto yes = ParseYesNo(plain)) return {*yes ? "1" : "0", ""};
            break;
        case K::Choice: {
            const std::string wanted = AsciiLower(TrimBlanks(plain));
            for (size_t i = 0; i < setting.choices.size(); ++i) {
                if (wanted == setting.choices[i]) return {std::to_string(i), ""};
            }
            // An index is taken too, unless the names are numbers themselves ("timeout=2"
            // must not mean 60 seconds).
            const bool numberNames = setting.choices.front().front() <= '9';
            if (!numberNames && AllDigits(wanted) && wanted.size() < 4 &&
                std::stoul(wanted) < setting.choices.size()) {
                return {std::to_string(std::stoul(wanted)), ""};
            }
            break;
        }
        case K::Days:
            if (IsDelayDaysText(TrimBlanks(plain))) return {std::string(TrimBlanks(plain)), ""};
            break;
        case K::Rate:
            if (IsByteRateText(TrimBlanks(plain))) return {std::string(TrimBlanks(plain)), ""};
            break;
        case K::Seconds:
            if (IsSecondsText(TrimBlanks(plain))) return {std::string(TrimBlanks(plain)), ""};
            break;
        case K::DeleteLimit:
            if (ParseDeleteLimit(plain)) return {std::string(TrimBlanks(plain)), ""};
            break;
        case K::Mask:
            if (plain.empty() || (plain.find('.') != std::string_view::npos &&
                                  plain.find(platform::kPathSeparator) == std::string_view::npos))
                return {std::string(plain), ""};
            break;
        case K::Text:
        case K::Password:
            return {std::string(plain), ""};
    }
    return {"", Problem(setting, plain)};
}

std::string ShowSettingValue(const JobSetting& setting, std::string_view stored) {
    switch (setting.kind) {
        case K::Flag:
            if (auto n = StoredNumber(stored)) return *n != 0 ? "yes" : "no";
            break;
        case K::Recursion:
            if (auto n = StoredNumber(stored)) return *n >= 1 ? "yes" : "no";
            break;
        case K::Choice:
            if (auto n = StoredNumber(stored);
                n && *n >= 0 && static_cast<size_t>(*n) < setting.choices.size())
                return std::string(setting.choices[static_cast<size_t>(*n)]);
            break;
        case K::Password:
            return stored.empty() ? "" : "(set)";
        case K::Mask:
            return SourceMask(stored);
        case K::DeleteLimit:
        case K::Days:
        case K::Rate:
        case K::Seconds:
        case K::Text:
            break;
    }
    return std::string(stored);
}

std::string SourceMask(std::string_view source) {
    const size_t slash = source.rfind(platform::kPathSeparator);
    if (slash == std::string_view::npos || source.find("://") != std::string_view::npos) return "";
    const std::string_view last = source.substr(slash + 1);
    return last.find('.') != std::string_view::npos ? std::string(last) : "";
}

std::string WithSourceMask(std::string_view source, std::string_view mask) {
    std::string folder(source);
    if (!SourceMask(source).empty()) folder.resize(source.rfind(platform::kPathSeparator));
    while (folder.size() > 1 && folder.back() == platform::kPathSeparator) folder.pop_back();
    if (mask.empty()) return folder;
    if (folder.empty() || folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    return folder + std::string(mask);
}

bool IsByteRateText(std::string_view text) {
    const char local = Formats().DecimalSeparator;
    size_t sep = std::string_view::npos;
    for (size_t i = 0; i < text.size() && sep == std::string_view::npos; ++i) {
        if (text[i] == '.' || text[i] == local) sep = i;
    }
    if (sep == std::string_view::npos) return AllDigits(text);
    const std::string_view whole = text.substr(0, sep);
    const std::string_view fraction = text.substr(sep + 1);
    if (whole.empty() && fraction.empty()) return false;
    return (whole.empty() || AllDigits(whole)) && (fraction.empty() || AllDigits(fraction));
}

bool IsDelayDaysText(std::string_view text) {
    return text.empty() || AllDigits(text);
}

bool IsSecondsText(std::string_view text) {
    return AllDigits(text) && text.size() <= 5 && std::stoul(std::string(text)) <= 65535;
}

}  // namespace ferrolin
