#pragma once
// The texts the FTP session shows. Status texts replace panel 0 of the status bar; the
// transfer texts go to the FTP window's panel 1 and onto the gauge.
#include <string_view>

namespace ferrolin {

inline constexpr std::string_view kFtpConnectException = "Exception on Connect: ";
inline constexpr std::string_view kFtpConnectUnknown = "Unknown exception on Connect";
inline constexpr std::string_view kFtpChangeDirFailed = "ChangeDir failed";
inline constexpr std::string_view kFtpSendException = "Exception: ";
inline constexpr std::string_view kFtpSendExceptionAt = " at send file:";
inline constexpr std::string_view kFtpSendUnknown = "Unknown Exception at send file: ";
inline constexpr std::string_view kFtpReceiveException = "Exception at receive file: ";
inline constexpr std::string_view kFtpDeleteException = "Exception at delete file: ";
inline constexpr std::string_view kFtpRenameException = "Exception at rename file: ";
inline constexpr std::string_view kFtpRenameTo = " to ";

inline constexpr std::string_view kFtpDownloadSpeed = "Download speed ";
inline constexpr std::string_view kFtpUploadSpeed = "Uploade speed ";
inline constexpr std::string_view kFtpTimeRemaining = "Time remaining ";
inline constexpr std::string_view kFtpTransferComplete = "Transfer complete.";
inline constexpr std::string_view kFtpDisconnected = "Disconnected.";

// For the callers that skip a listed name no path may be built from.
inline constexpr std::string_view kFtpRemoteNameRefused = "Remote file name refused: ";
// Logged once per session for each listing line that parses as no known form.
inline constexpr std::string_view kFtpListingLineSkipped = "FTP listing line not understood: ";

}  // namespace ferrolin
