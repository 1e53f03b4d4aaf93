#include "remote/time_sync.h"

#include <errno.h>

#include <charconv>
#include <cmath>
#include <exception>
#include <limits>

#include "common/datetime_format.h"
#include "config/profile_document.h"
#include "platform/errors.h"
#include "protocols/time_query.h"
#include "remote/time_sync_panel.h"

namespace ferrolin {

namespace {

constexpr double kMillisecondsPerDay = 86'400'000.0;

TDateTime ToLocalDateTime(std::chrono::system_clock::time_point moment) {
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch());
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    return UnixToLocalDateTime(seconds.count(), (sinceEpoch - seconds).count());
}

// The server's time by the configured protocol; no time for an unknown protocol index.
TimeQueryResult QueryServer(int protocol, const std::string& server) {
    switch (protocol) {
        case time_sync_panel::kProtocolSntp:
            return QuerySntp(server);
        case time_sync_panel::kProtocolTime:
            return QueryTimeProtocol(server);
        default:
            return {std::nullopt, "no protocol chosen"};
    }
}

std::string ClockNotSetText(int32_t code) {
    std::string text = std::string(kClockNotSet) + platform::ErrorMessage(code);
    if (code == EPERM) {
        text += " (the program lacks the right to set the system clock: it needs to run as "
                "root or with the CAP_SYS_TIME capability)";
    }
    return text;
}

}  // namespace

TimeSyncService::TimeSyncService(Surfaces& surfaces, Clock& clock,
                                 platform::ClockSetter& clockSetter)
    : surfaces_(surfaces), clock_(clock), clockSetter_(&clockSetter) {}

void TimeSyncService::ShowMessage(std::string_view text) {
    surfaces_.Ask(time_sync_panel::kMessageCaption, text, Buttons::Ok);
}

int TimeSyncService::SyncCheck() {
    const TDateTime now = clock_.Now();
    if (!Settings.Enable || !(now > TimeSyncNext)) return 0;
    const TDateTime t0 = now;
    const auto offset = ParseIntegerSetting(Settings.TimeOffset);
    const auto maxCorrection = ParseIntegerSetting(Settings.MaxCorrection);
    if (offset && maxCorrection) {
        if (SyncTime(Settings.Server, false, *offset, *maxCorrection)) {
            SyncTimeFailed = 0;
        } else if (SyncTimeFailed < std::numeric_limits<int32_t>::max()) {
            ++SyncTimeFailed;
        }
        // The interval is read only now, so an unusable one still lets this check
        // synchronise; it only decides when the next one is due.
        if (const auto interval = StrToTime(Settings.Interval + ":00")) {
            TimeSyncNext = t0 + *interval;
            return SyncTimeFailed;
        }
    }
    TimeSyncNext = t0 + kOneHour;
    return -2;
}

bool TimeSyncService::SyncTime(const std::string& server, bool notify, int64_t offsetMs,
                               int32_t maxCorrection) {
    bool result = false;
    LastOutcome = TimeSyncOutcome{};
    try {
        TimeQueryResult answer = QueryServer(Settings.Protocol, server);
        std::optional<std::chrono::system_clock::time_point> target;
        TDateTime t = 0;
        if (answer.time) {
            target = *answer.time + std::chrono::milliseconds(offsetMs);
            t = ToLocalDateTime(*target);
        }
        if (!target || t <= 1.0) {
            LastError = kTimeSyncFailed;
            LastOutcome.Detail = answer.time ? "the time is out of range" : answer.error;
        } else {
            const TDateTime now = clock_.Now();
            LastOutcome.Answered = true;
            LastOutcome.ServerTime = t;
            LastOutcome.LocalTime = now;
            // Compared in whole milliseconds, so "exactly the limit" is exact.
            LastOutcome.DifferenceMs = std::llround((t - now) * kMillisecondsPerDay);
            const int64_t distance = std::llabs(LastOutcome.DifferenceMs);
            if (maxCorrection == 0 || int64_t{maxCorrection} * 60'000 > distance) {
                const int32_t code = DryRun ? 0 : clockSetter_->SetClock(*target);
                if (code == 0) {
                    result = true;
                    LastError.clear();
                    LastOutcome.ClockSet = !DryRun;
                    if (notify) {
                        ShowMessage(DateTimeToStr(t) + "\n" + FormatDays(t) + "\n" +
                                    FormatDays(t - now));
                    }
                } else {
                    LastError = ClockNotSetText(code);
                    LastOutcome.Detail = LastError;
                }
            } else {
                LastError = kOutOfRangeForCorrection;
                LastOutcome.Detail = "the difference of " + FormatDays(distance / 60'000.0) +
                                     " minutes is not below the limit of " +
                                     std::to_string(maxCorrection) + " minutes";
            }
        }
    } catch (const std::exception& e) {
        result = false;
        LastError = kExceptionInTimeSync;
        LastOutcome.Detail = e.what();
    }
    if (notify && !LastError.empty()) ShowMessage(LastError);
    return result;
}

bool TimeSyncService::SyncNow(bool notify) {
    const auto offset = ParseIntegerSetting(Settings.TimeOffset);
    if (!offset) {
        LastOutcome = TimeSyncOutcome{};
        LastOutcome.Detail = "'" + Settings.TimeOffset + "' is not a valid integer value";
        if (notify) ShowMessage(LastOutcome.Detail);
        return false;
    }
    return SyncTime(Settings.Server, notify, *offset, 0);
}

void TimeSyncService::SelectProtocol(int index) {
    Settings.Protocol = index;
    if (index == time_sync_panel::kProtocolTime) {
        ShowMessage(time_sync_panel::kTimeProtocolNotice);
    }
}

std::optional<int32_t> ParseIntegerSetting(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return ParseProfileInteger(text);
}

std::string FormatDays(double days) {
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof(buffer), days, std::chars_format::general, 15);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    // "1.5e-05" is written the way the panel always showed it: "1.5E-5".
    if (const size_t e = text.find('e'); e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        std::string sign;
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+')) {
            if (exponent.front() == '-') sign = "-";
            exponent.erase(0, 1);
        }
        exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
        text = text.substr(0, e) + "E" + sign + exponent;
    }
    if (const size_t dot = text.find('.'); dot != std::string::npos) {
        text[dot] = Formats().DecimalSeparator;
    }
    return text;
}

}  // namespace ferrolin
