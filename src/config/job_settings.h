#pragma once
// The settings of a job under plain English names, each mapped to its key of the job's
// "Kopf<N>" section: one table that the job commands read values through, check against,
// and show beside the key.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

enum class SettingKind {
    Text,         // stored as typed
    Flag,         // yes/no, stored as 1/0
    Choice,       // one of a few names, stored as its index
    Days,         // a whole number of days, 0 or more
    Rate,         // MiB per second, a decimal number, 0 or more
    Password,     // text that is never given on a command line nor shown
    Mask,         // the file mask: the last part of the source text, holding a "."
    Recursion,    // yes/no over the ParsingType choice (any stored 1 or more is yes)
    Seconds,      // a whole number of seconds, 0 to 65535
    DeleteLimit,  // empty (no limit), a count, or a percentage such as 25%
};

struct JobSetting {
    std::string_view name;  // the plain name: "destination", "mode"
    std::string_view key;   // its INI key: "EmpfangsVerzeichnis", "CopyMode"
    SettingKind kind;
    std::vector<std::string_view> choices;  // Choice: the names, by stored index
    std::string_view help;                  // one line: what it means
};

// Every setting, in the order a job is shown. "enabled" (key Active) is the job's check
// mark in the list.
const std::vector<JobSetting>& JobSettings();

// The setting called name: its plain name or its INI key, letter case ignored ("dest" is
// short for "destination"). Null when there is none.
const JobSetting* FindJobSetting(std::string_view name);

// A plain value turned into the text stored under the setting's key, or why it cannot be
// stored (what is allowed). Choices take their name or their index; flags yes/no, on/off,
// true/false or 1/0. Password and Mask values are checked like Text here: where they come
// from and how a mask joins the source are the caller's.
struct StoredValue {
    std::string stored;
    std::string problem;  // empty when stored is good
};
StoredValue StoreSettingValue(const JobSetting& setting, std::string_view plain);

// The stored text as the plain value ("mirror" for CopyMode=3, "yes" for 1). A stored
// text the setting cannot read is shown as it stands. Passwords show "(set)" or "".
std::string ShowSettingValue(const JobSetting& setting, std::string_view stored);

// What the values of a setting may be, for messages: "newer, only-newer, always, ...".
std::string AllowedValues(const JobSetting& setting);

// The file mask of a folder source ("*.mpg" for "/out/*.mpg"), empty when it has none;
// and the source with its mask replaced (an empty mask removes it).
std::string SourceMask(std::string_view source);
std::string WithSourceMask(std::string_view source, std::string_view mask);

// The texts the job editor and the run accept: a byte rate is digits with at most one
// decimal separator ("." or the system's); a delete delay is digits, empty meaning 0.
bool IsByteRateText(std::string_view text);
bool IsDelayDaysText(std::string_view text);
// A whole number of seconds the profile stores: digits, 0 to 65535.
bool IsSecondsText(std::string_view text);

// The integer form of a flag or choice as the profile reads it, when the text is one.
std::optional<int> StoredNumber(std::string_view stored);

}  // namespace ferrolin
