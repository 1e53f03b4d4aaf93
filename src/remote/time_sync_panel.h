#pragma once
// The fixed texts of the "Time sync" panel, so the window only has to draw them: the
// panel's state and operations are TimeSyncService (remote/time_sync.h), whose Settings
// member holds the values of these controls.
#include <array>
#include <string_view>

namespace ferrolin::time_sync_panel {

inline constexpr std::string_view kTabCaption = "Time sync";

// TimeSyncEnable (check box)
inline constexpr std::string_view kEnableCaption = "Enable";
// TimeSyncServer (edit)
inline constexpr std::string_view kServerLabel = "Time Server:";
// TimeSyncProtocol (drop-down list); the item index is TimeSyncSettings::Protocol
inline constexpr std::array<std::string_view, 2> kProtocolItems = {"SNTP (123)", "Time (37)"};
inline constexpr int kProtocolSntp = 0;
inline constexpr int kProtocolTime = 1;
// TimeSyncInterval (edit, "hh:mm")
inline constexpr std::string_view kIntervalLabel = "Interval (hh:mm):";
// TimeSyncTimeOffset (edit, milliseconds)
inline constexpr std::string_view kTimeOffsetLabel = "Time offset:";
inline constexpr std::string_view kTimeOffsetHint = "Milliseconds added to the server's time";
// TimeSyncMaxCorrection (edit, minutes)
inline constexpr std::string_view kMaxCorrectionLabel = "Max. correction:";
inline constexpr std::string_view kMaxCorrectionHint = "0=No limit, unit is in minutes";
// The button that synchronises at once (TimeSyncService::SyncNow)
inline constexpr std::string_view kSyncNowCaption = "Sync now";

// Caption of the panel's message boxes.
inline constexpr std::string_view kMessageCaption = "Ferrolin";

// Shown when the operator picks "Time (37)" (TimeSyncService::SelectProtocol).
inline constexpr std::string_view kTimeProtocolNotice =
    "Notice this protocol does only work until year 2036.\r\n"
    "According the RFC 868 this is a known limitation.\r\n"
    "Use SNTP instead, if this could get an issue";

}  // namespace ferrolin::time_sync_panel
