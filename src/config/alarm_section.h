#pragma once
// The "Alarm" section of Ferrolin.INI: who is told about a run, when, and how.
//   On           failure (default) | change | always
//   MailTo       addresses, comma-separated
//   MailFrom     the sender (default: ferrolin@<host>)
//   SmtpServer   smtp://host:port or smtps://host:port
//   SmtpUser, SmtpPassword
//   Command      a program run with the run's record on its standard input (no shell)
//   QuietMinutes repeated failures alarm at most once in this time (default 15)
#include <cstdint>
#include <string>
#include <vector>

#include "config/profile_file.h"

namespace ferrolin {

inline constexpr char kAlarmSection[] = "Alarm";

enum class AlarmWhen : uint8_t { Failure, Change, Always };

struct AlarmSettings {
    AlarmWhen on = AlarmWhen::Failure;
    std::vector<std::string> mailTo;
    std::string mailFrom;
    std::string smtpServer;
    std::string smtpUser;
    std::string smtpPassword;
    std::string command;
    int quietMinutes = 15;

    bool MailWanted() const { return !mailTo.empty() && !smtpServer.empty(); }
    bool CommandWanted() const { return !command.empty(); }
    bool AnyWanted() const { return MailWanted() || CommandWanted(); }
};

// Missing keys take their defaults; an "On" value that is none of the three words reads
// as failure (the safe choice: failures are never kept quiet by a typing error), a
// negative QuietMinutes as 0.
AlarmSettings ReadAlarmSettings(const ProfileFile& ini);

}  // namespace ferrolin
