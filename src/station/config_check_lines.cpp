// The line checks of "check": every line of Ferrolin.INI against the sections and keys
// the program reads, and every value against what its reader accepts.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/datetime_format.h"
#include "common/text.h"
#include "config/alarm_section.h"
#include "config/delete_limit.h"
#include "config/global_section.h"
#include "config/job_section.h"
#include "config/job_settings.h"
#include "config/profile_document.h"
#include "engine/copy_decision.h"
#include "protocols/host_port.h"
#include "remote/time_sync.h"
#include "schedule/send_time.h"
#include "schedule/send_time_editor.h"
#include "station/config_check.h"

namespace ferrolin {

namespace {

using Line = ProfileDocument::LineView;

// The texts that have a form of their own; everything else is checked by its stored kind.
enum class TextForm {
    Any,
    MinutesSeconds,
    HoursMinutesSeconds,
    HoursMinutes,
    Days,
    Rate,
    Integer,
    Host,
    SendTimeList,
    AlarmWhen,
    MailServer,
    DeleteLimit
};

struct KeyRule {
    StoredKey stored;
    TextForm form = TextForm::Any;
};

TextForm FormOf(std::string_view key) {
    struct Known {
        std::string_view key;
        TextForm form;
    };
    static constexpr Known kForms[] = {
        {"RebootAfterTimeout", TextForm::MinutesSeconds},
        {"SendTimeSimpleInterval", TextForm::HoursMinutesSeconds},
        {"DestDelDelay", TextForm::Days},
        {"MaxByteRate", TextForm::Rate},
        {"MaxDelete", TextForm::DeleteLimit},
    };
    for (const Known& k : kForms) {
        if (EqualsIgnoreAsciiCase(k.key, key)) return k.form;
    }
    return TextForm::Any;
}

std::vector<KeyRule> Rules(const std::vector<StoredKey>& keys) {
    std::vector<KeyRule> rules;
    for (const StoredKey& k : keys) rules.push_back({k, FormOf(k.key)});
    return rules;
}

const std::vector<KeyRule>& TimeSyncRules() {
    static const std::vector<KeyRule> rules = {
        {{"Enable", StoredKind::Flag}, TextForm::Any},
        {{"Interval", StoredKind::Text}, TextForm::HoursMinutes},
        {{"Server", StoredKind::Text}, TextForm::Host},
        {{"Protocol", StoredKind::Choice, 2}, TextForm::Any},
        {{"TimeOffset", StoredKind::Text}, TextForm::Integer},
        {{"MaxCorrection", StoredKind::Text}, TextForm::Integer},
    };
    return rules;
}

const std::vector<KeyRule>& AlarmRules() {
    static const std::vector<KeyRule> rules = {
        {{"On", StoredKind::Text}, TextForm::AlarmWhen},
        {{"MailTo", StoredKind::Text}, TextForm::Any},
        {{"MailFrom", StoredKind::Text}, TextForm::Any},
        {{"SmtpServer", StoredKind::Text}, TextForm::MailServer},
        {{"SmtpUser", StoredKind::Text}, TextForm::Any},
        {{"SmtpPassword", StoredKind::Text}, TextForm::Any},
        {{"Command", StoredKind::Text}, TextForm::Any},
        {{"QuietMinutes", StoredKind::Integer}, TextForm::Any},
    };
    return rules;
}

// The weekday lists live in Global beside the options; older files name the days in German.
std::optional<KeyRule> WeekdayRule(std::string_view key) {
    for (const auto* names : {&kWeekdayNames, &kGermanWeekdayNames}) {
        for (std::string_view day : *names) {
            if (EqualsIgnoreAsciiCase(key, WeekdayKey(day)))
                return KeyRule{{key, StoredKind::Text}, TextForm::SendTimeList};
        }
    }
    return std::nullopt;
}

// Kopf<N>: the N, when the name is a job section's.
std::optional<long> JobSectionNumber(std::string_view section) {
    if (section.size() < 5 || !EqualsIgnoreAsciiCase(section.substr(0, 4), "Kopf")) return {};
    const std::string_view digits = section.substr(4);
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    if (digits.size() > 1 && digits.front() == '0') return {};
    return std::stol(std::string(digits));
}

// What a stored number, flag or choice allows when value does not suit it; empty when it
// does, and for a text (whose form decides).
std::string AllowedNumber(const StoredKey& stored, std::string_view value) {
    const std::optional<int32_t> number = ParseProfileInteger(value);
    switch (stored.kind) {
        case StoredKind::Flag:
            return number ? "" : "1 (yes) or 0 (no)";
        case StoredKind::Integer:
            return number && *number >= 0 && *number <= 65535 ? "" : "a whole number, 0 to 65535";
        case StoredKind::Choice:
            // Any stored 1 or more means "Include Sub Directories".
            if (EqualsIgnoreAsciiCase(stored.key, "ParsingType"))
                return number && *number >= 0 ? "" : "0 (this folder) or 1 (with subfolders)";
            if (number && *number >= 0 && *number < stored.itemCount) return "";
            return "0 to " + std::to_string(stored.itemCount - 1);
        case StoredKind::Text:
            break;
    }
    return "";
}

// What a text of the given form allows when value does not suit it; empty when it does.
std::string AllowedText(TextForm form, std::string_view value) {
    switch (form) {
        case TextForm::MinutesSeconds:
            return StrToTime("00:" + std::string(value)) ? "" : "minutes and seconds, MM:SS";
        case TextForm::HoursMinutesSeconds:
            return StrToTime(value) ? "" : "a time hh:mm:ss below 24 hours";
        case TextForm::HoursMinutes:
            return StrToTime(std::string(value) + ":00") ? "" : "hours and minutes, hh:mm";
        case TextForm::Days:
            return IsDelayDaysText(value) ? "" : "a whole number of days, 0 or more";
        case TextForm::Rate:
            // What the run reads: "." or "," as the decimal separator; a negative rate
            // is taken as no limit, which is surely not what was meant.
            return (IsByteRateText(value) || MaxBytesPerSecondFrom(value)) &&
                           !value.starts_with('-')
                       ? ""
                       : "MiB per second such as 0 (no limit), 2 or 2.5";
        case TextForm::Integer:
            return ParseIntegerSetting(value) ? "" : "a whole number";
        case TextForm::Host:
            return value.empty() || SplitHostPort(value, 123) ? "" : "host or host:port";
        case TextForm::SendTimeList:
            for (const std::string& piece : SplitFields(value, ';')) {
                const auto parsed = ParseSendTimeLine(piece);
                if (parsed.error == SendTimeLineError::BadStart ||
                    parsed.error == SendTimeLineError::BadInterval)
                    return "lines \"hh:mm hh:mm:ss\" or \"hh:mm --\", each ended by \";\"";
            }
            return "";
        case TextForm::AlarmWhen: {
            const std::string word = AsciiLower(TrimmedBlanks(value));
            return word == "failure" || word == "change" || word == "always"
                       ? ""
                       : "failure, change or always";
        }
        case TextForm::MailServer: {
            const std::string address = AsciiLower(TrimmedBlanks(value));
            return value.empty() || address.starts_with("smtp://") ||
                           address.starts_with("smtps://")
                       ? ""
                       : "smtp://host:port or smtps://host:port";
        }
        case TextForm::DeleteLimit:
            return ParseDeleteLimit(value) ? "" : std::string(kDeleteLimitForms);
        case TextForm::Any:
            break;
    }
    return "";
}

// What is allowed when value does not suit the rule; empty when it does.
std::string Allowed(const KeyRule& rule, std::string_view value) {
    if (rule.stored.kind != StoredKind::Text) return AllowedNumber(rule.stored, value);
    return AllowedText(rule.form, value);
}

ConfigFinding Finding(const Line& line, FindingKind kind, std::string detail = "") {
    return {line.number,
            kind,
            std::string(line.section),
            std::string(line.key),
            std::string(line.value),
            std::move(detail)};
}

// The number of jobs the file says it holds (AnzKopfstellen): sections past it are not read.
int JobCount(const ProfileDocument& doc) {
    const auto count = doc.Find(kGlobalSection, kJobCountKey);
    const auto n = count ? ParseProfileInteger(*count) : std::nullopt;
    return n && *n > 0 ? std::min<int>(*n, 65535) : 0;
}

// Walks the lines in order, knowing which section's rules hold for the settings met.
class LineChecker {
  public:
    explicit LineChecker(int jobCount)
        : jobCount_(jobCount),
          globalRules_(Rules(GlobalStoredKeys())),
          jobRules_(Rules(JobStoredKeys())) {}

    void Check(const Line& line) {
        switch (line.kind) {
            case Line::Kind::Blank:
            case Line::Kind::Comment:
                return;
            case Line::Kind::Other:
                findings_.push_back(Finding(line, FindingKind::StrayLine));
                return;
            case Line::Kind::Section:
                EnterSection(line);
                return;
            case Line::Kind::Setting:
                CheckSetting(line);
                return;
        }
    }

    std::vector<ConfigFinding> Findings() && { return std::move(findings_); }

  private:
    void EnterSection(const Line& line) {
        rules_ = nullptr;
        global_ = false;
        skipSection_ = true;
        const auto job = JobSectionNumber(line.section);
        if (!line.inForce) {
            findings_.push_back(Finding(line, FindingKind::DuplicateSection));
        } else if (EqualsIgnoreAsciiCase(line.section, kGlobalSection)) {
            rules_ = &globalRules_;
            global_ = true;
        } else if (EqualsIgnoreAsciiCase(line.section, kTimeSyncSection)) {
            rules_ = &TimeSyncRules();
        } else if (EqualsIgnoreAsciiCase(line.section, kAlarmSection)) {
            rules_ = &AlarmRules();
        } else if (job && *job < jobCount_) {
            rules_ = &jobRules_;
        } else if (job) {
            findings_.push_back(
                Finding(line, FindingKind::JobPastCount, std::to_string(jobCount_)));
        } else {
            findings_.push_back(Finding(line, FindingKind::UnknownSection));
        }
        skipSection_ = rules_ == nullptr;
    }

    void CheckSetting(const Line& line) {
        if (skipSection_) return;  // its header was reported; its lines are not looked at
        if (rules_ == nullptr) {   // before the first section: never read
            findings_.push_back(Finding(line, FindingKind::StrayLine));
            return;
        }
        std::optional<KeyRule> rule;
        for (const KeyRule& r : *rules_) {
            if (EqualsIgnoreAsciiCase(r.stored.key, line.key)) rule = r;
        }
        if (!rule && global_) rule = WeekdayRule(line.key);
        if (!rule) {
            findings_.push_back(Finding(line, FindingKind::UnknownKey));
        } else if (!line.inForce) {
            findings_.push_back(Finding(line, FindingKind::DuplicateKey));
        } else if (std::string allowed = Allowed(*rule, line.value); !allowed.empty()) {
            findings_.push_back(Finding(line, FindingKind::BadValue, std::move(allowed)));
        }
    }

    const int jobCount_;
    const std::vector<KeyRule> globalRules_;
    const std::vector<KeyRule> jobRules_;
    const std::vector<KeyRule>* rules_ = nullptr;  // of the section the lines are in
    bool global_ = false;
    bool skipSection_ = false;
    std::vector<ConfigFinding> findings_;
};

}  // namespace

std::vector<ConfigFinding> CheckConfigLines(std::string_view text) {
    const ProfileDocument doc = ProfileDocument::Parse(text);
    LineChecker checker(JobCount(doc));
    for (const Line& line : doc.Lines()) checker.Check(line);
    return std::move(checker).Findings();
}

}  // namespace ferrolin
