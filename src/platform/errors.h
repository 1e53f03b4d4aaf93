#pragma once
// Error codes. Platform failures are errno values. The few Windows conditions the program
// acts on get named codes far above any errno value, each with its own text.
#include <cstdint>
#include <string>

namespace ferrolin::platform {

inline constexpr int32_t kNamedErrorBase = 0x20000000;
inline constexpr int32_t ERROR_SHARING_VIOLATION = kNamedErrorBase + 32;
inline constexpr int32_t ERROR_REQUEST_ABORTED = kNamedErrorBase + 1235;
inline constexpr int32_t ERROR_EXTENDED_ERROR = kNamedErrorBase + 1208;
inline constexpr int32_t ERROR_SESSION_CREDENTIAL_CONFLICT = kNamedErrorBase + 1219;
// A share path (//server/share/...) that this build cannot reach.
inline constexpr int32_t ERROR_SHARE_UNREACHABLE = kNamedErrorBase + 53;
// What a share logon can run into.
inline constexpr int32_t ERROR_LOGON_FAILURE = kNamedErrorBase + 1326;  // user or password wrong
inline constexpr int32_t ERROR_BAD_NET_NAME = kNamedErrorBase + 67;     // no such share
inline constexpr int32_t ERROR_SERVER_UNREACHABLE = kNamedErrorBase + 1232;
inline constexpr int32_t ERROR_SHARE_ACCESS_DENIED = kNamedErrorBase + 5;
// The share client library (libsmbclient) is not installed or cannot be loaded.
inline constexpr int32_t ERROR_SHARE_CLIENT_MISSING = kNamedErrorBase + 126;
// The clock setter in use was not wired to the real clock (tests, or a face that does not
// allow the program to set the clock).
inline constexpr int32_t ERROR_CLOCK_SETTING_DISABLED = kNamedErrorBase + 1314;
// A pipe, device or folder where the program reads or writes a plain file.
inline constexpr int32_t ERROR_NOT_REGULAR_FILE = kNamedErrorBase + 1920;
// A list or settings file larger than the program reads as a whole (kMaxWholeFileSize).
inline constexpr int32_t ERROR_FILE_TOO_LARGE = kNamedErrorBase + 223;

// The text of a named code or an errno value; empty when there is none.
std::string ErrorMessage(int32_t code);

// errno of the calling thread.
int32_t LastError();

}  // namespace ferrolin::platform
