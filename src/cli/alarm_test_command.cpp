// "alarm-test": sends a test alarm the ways the [Alarm] section names (mail, command),
// about the last recorded run, and says what happened to each. Exit status 0 when every
// way worked, 1 when one failed or none is configured.
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "station/alarm_delivery.h"

namespace ferrolin::cli {

int RunAlarmTestCommand(const Args& args) {
    if (!args.empty()) return UsageError("alarm-test takes no arguments");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    Station& station = session.station();
    const std::optional<AlarmDelivery> delivery = SendTestAlarm(station);
    if (!delivery) {
        std::cout << "No alarm is configured: set MailTo and SmtpServer, or Command, in the [Alarm]"
                     " section of "
                  << station.IniFilename << "\n";
        return 1;
    }
    for (const std::string& line : delivery->lines) std::cout << line << "\n";
    std::cout.flush();
    return delivery->AllSent() ? 0 : 1;
}

}  // namespace ferrolin::cli
