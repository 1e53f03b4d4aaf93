// "sync-now [--dry-run]": the "Sync now" button without a window. Queries the time
// server of the "InternetDateTimeSync" settings, prints its time, the difference to this
// computer's clock and the outcome; with --dry-run the clock is left alone.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "common/datetime_format.h"
#include "common/memo_lines.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"

namespace ferrolin::cli {

namespace {

std::string ProtocolName(int protocol) {
    if (protocol >= 0 && protocol < static_cast<int>(time_sync_panel::kProtocolItems.size())) {
        return std::string(time_sync_panel::kProtocolItems[static_cast<size_t>(protocol)]);
    }
    return "protocol " + std::to_string(protocol);
}

// "+1.250 s" / "-0.004 s"
// Short date and time to the millisecond.
std::string Moment(TDateTime value) {
    return DateToStr(value) + " " + FormatDateTime("hh:nn:ss.zzz", value);
}

std::string SignedSeconds(int64_t milliseconds) {
    char text[64];
    const int64_t magnitude = std::llabs(milliseconds);
    std::snprintf(text, sizeof(text), "%c%" PRId64 ".%03" PRId64 " s", milliseconds < 0 ? '-' : '+',
                  magnitude / 1000, magnitude % 1000);
    return text;
}

}  // namespace

int RunSyncNowCommand(const Args& args) {
    bool dryRun = false;
    for (const std::string& arg : args) {
        if (arg == "--dry-run") {
            dryRun = true;
        } else {
            return UsageError("sync-now: unknown argument \"" + arg + "\"");
        }
    }
    CliSession session;
    Station& station = session.station();
    TimeSyncService& sync = station.TimeSync;
    if (!sync.LoadConfigFrom(station.IniFilename)) {
        std::cerr << "ferrolin-cli: cannot read " << station.IniFilename
                  << ", using the default time-sync settings\n";
    }
    sync.DryRun = dryRun;

    std::printf("Time server: %s (%s)\n", sync.Settings.Server.c_str(),
                ProtocolName(sync.Settings.Protocol).c_str());
    const bool ok = sync.SyncNow(/*notify=*/false);
    const TimeSyncOutcome& outcome = sync.LastOutcome;
    if (outcome.Answered) {
        std::printf("Server time: %s (with offset %s ms)\n", Moment(outcome.ServerTime).c_str(),
                    sync.Settings.TimeOffset.c_str());
        std::printf("Local time:  %s\n", Moment(outcome.LocalTime).c_str());
        std::printf("Difference:  %s (server minus this computer)\n",
                    SignedSeconds(outcome.DifferenceMs).c_str());
    }
    if (ok) {
        std::printf("%s\n", dryRun ? "Dry run: the clock was not set." : "The clock was set.");
    } else {
        std::string text = sync.LastError.empty() ? outcome.Detail : sync.LastError;
        if (!outcome.Detail.empty() && outcome.Detail != text) text += " (" + outcome.Detail + ")";
        std::printf("Failed: %s\n", text.c_str());
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}

}  // namespace ferrolin::cli
