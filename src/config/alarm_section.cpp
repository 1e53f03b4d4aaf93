#include "config/alarm_section.h"

#include <algorithm>

#include "common/text.h"

namespace ferrolin {

AlarmSettings ReadAlarmSettings(const ProfileFile& ini) {
    AlarmSettings settings;
    const std::string on =
        AsciiLower(TrimmedBlanks(ini.ReadString(kAlarmSection, "On", "failure")));
    if (on == "change") settings.on = AlarmWhen::Change;
    if (on == "always") settings.on = AlarmWhen::Always;
    const std::string to = ini.ReadString(kAlarmSection, "MailTo", "");
    size_t begin = 0;
    while (begin <= to.size()) {
        size_t comma = to.find(',', begin);
        if (comma == std::string::npos) comma = to.size();
        std::string address = TrimmedBlanks(std::string_view(to).substr(begin, comma - begin));
        if (!address.empty()) settings.mailTo.push_back(std::move(address));
        begin = comma + 1;
    }
    settings.mailFrom = TrimmedBlanks(ini.ReadString(kAlarmSection, "MailFrom", ""));
    settings.smtpServer = TrimmedBlanks(ini.ReadString(kAlarmSection, "SmtpServer", ""));
    settings.smtpUser = ini.ReadString(kAlarmSection, "SmtpUser", "");
    settings.smtpPassword = ini.ReadString(kAlarmSection, "SmtpPassword", "");
    settings.command = TrimmedBlanks(ini.ReadString(kAlarmSection, "Command", ""));
    settings.quietMinutes = std::max(0, ini.ReadInteger(kAlarmSection, "QuietMinutes", 15));
    return settings;
}

}  // namespace ferrolin
