#pragma once
// Internet time synchronisation: the non-visual half of the "Time sync" panel. It holds
// the panel's settings, decides when an automatic synchronisation is due (SyncCheck),
// queries a time server and sets the computer's clock (SyncTime), and loads and saves its
// section of the configuration file. Used on the user-interface thread only; a query
// blocks for at most the protocol time-out (plus name resolution).
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/datetime.h"
#include "platform/clock_setter.h"
#include "common/surfaces.h"

namespace ferrolin {

inline constexpr std::string_view kTimeSyncSection = "InternetDateTimeSync";
inline constexpr std::string_view kDefaultTimeServer = "pool.ntp.org";

// Outcome texts of SyncTime (LastError).
inline constexpr std::string_view kTimeSyncFailed = "Time sync failed";
inline constexpr std::string_view kOutOfRangeForCorrection = "Out of range for correction";
inline constexpr std::string_view kExceptionInTimeSync = "Exception in time sync procedure";
inline constexpr std::string_view kClockNotSet = "The clock could not be set: ";

// The panel's controls, as texts the operator typed (checked only when used).
struct TimeSyncSettings {
    bool Enable = false;                              // TimeSyncEnable
    std::string Interval = "01:00";                   // TimeSyncInterval, "hh:mm"
    std::string Server = std::string(kDefaultTimeServer);  // TimeSyncServer, "host[:port]"
    int Protocol = 0;                                 // TimeSyncProtocol: 0 SNTP, 1 Time
    std::string TimeOffset = "0";                     // TimeSyncTimeOffset, milliseconds
    std::string MaxCorrection = "1";                  // TimeSyncMaxCorrection, minutes
};

// What the last SyncTime found, for faces that report more than LastError (the command
// line prints the server's time and the difference; the log can name the reason).
struct TimeSyncOutcome {
    bool Answered = false;      // the server gave a usable time
    TDateTime ServerTime = 0;   // the server's time plus the offset, local (the "T")
    TDateTime LocalTime = 0;    // this computer's time when T was compared
    int64_t DifferenceMs = 0;   // T - local time, in milliseconds
    bool ClockSet = false;      // the clock was set to T
    std::string Detail;         // the reason behind a failure ("" after a success)
};

class TimeSyncService {
  public:
    // The clock setter defaults to one that refuses: only a face that is meant to change
    // the computer's clock wires in platform::SystemClockSetter() (UseClockSetter).
    TimeSyncService(Surfaces& surfaces, Clock& clock,
                    platform::ClockSetter& clockSetter = platform::DisabledClockSetter());

    void UseClockSetter(platform::ClockSetter& clockSetter) { clockSetter_ = &clockSetter; }

    TimeSyncSettings Settings;

    // Run-time state, never saved.
    TDateTime TimeSyncNext = 0;  // when the next automatic synchronisation is due
    int32_t SyncTimeFailed = 0;  // automatic attempts that failed in a row
    std::string LastError;       // "" after a successful SyncTime, else its failure text
    TimeSyncOutcome LastOutcome;

    // While set, SyncTime queries and decides as usual but leaves the clock alone, and
    // counts a time it would have applied as success (ferrolin-cli sync-now --dry-run).
    bool DryRun = false;

    // Automatic synchronisation when due. 0 = nothing to do or success, n > 0 = n failures
    // in a row, -2 = the settings (offset, limit, interval) are not usable; the next
    // check is then one hour later.
    int SyncCheck();

    // Asks server (by Settings.Protocol) for the time, adds offsetMs, and sets the clock
    // when maxCorrection is 0 or the difference is below maxCorrection minutes. With
    // notify, the outcome is shown in a message box. True only when the clock was set.
    bool SyncTime(const std::string& server, bool notify, int64_t offsetMs,
                  int32_t maxCorrection);

    // The "Sync now" button: SyncTime with the panel's server and offset, no limit, the
    // outcome shown when notify. An offset that is not an integer is reported (as a
    // message with notify) before anything is queried. Leaves TimeSyncNext and
    // SyncTimeFailed alone.
    bool SyncNow(bool notify = true);

    // The operator picked a protocol in the list; picking "Time (37)" shows the year-2036
    // notice. (Loading the setting goes through LoadConfigFrom and shows nothing.)
    void SelectProtocol(int index);

    // The section "InternetDateTimeSync" of the configuration file. A key that is missing
    // leaves its setting as it is. Both swallow every error and return false then.
    bool LoadConfigFrom(const std::string& iniFilename);
    bool SaveConfigTo(const std::string& iniFilename);

private:
    void ShowMessage(std::string_view text);

    Surfaces& surfaces_;
    Clock& clock_;
    platform::ClockSetter* clockSetter_;
};

// Reads a setting that must be a whole number: blanks around it, then a number in the
// configuration file's integer form (sign, decimal, or hexadecimal after "$" or "0x",
// within 32 bits). Nothing for anything else.
std::optional<int32_t> ParseIntegerSetting(std::string_view text);

// The text of a number of days as the panel shows it in its "Sync now" message: up to
// 15 significant digits, the program's decimal separator.
std::string FormatDays(double days);

}  // namespace ferrolin
