#include "platform/errors.h"

#include <cerrno>
#include <cstring>

namespace ferrolin::platform {

namespace {

// Texts of the conditions the program names itself; they never come from errno.
const char* NamedErrorText(int32_t code) {
    switch (code) {
        case ERROR_SHARING_VIOLATION:
            return "The file is being used by another process.";
        case ERROR_REQUEST_ABORTED:
            return "The request was aborted.";
        case ERROR_EXTENDED_ERROR:
            return "An extended network error has occurred.";
        case ERROR_SESSION_CREDENTIAL_CONFLICT:
            return "The share is already connected under another user name.";
        case ERROR_SHARE_UNREACHABLE:
            return "The network share cannot be reached.";
        case ERROR_LOGON_FAILURE:
            return "Logon failure: unknown user name or bad password.";
        case ERROR_BAD_NET_NAME:
            return "The network name cannot be found.";
        case ERROR_SERVER_UNREACHABLE:
            return "The server cannot be reached.";
        case ERROR_SHARE_ACCESS_DENIED:
            return "Access to the share is denied.";
        case ERROR_SHARE_CLIENT_MISSING:
            return "The share client library (libsmbclient.so.0) cannot be loaded.";
        case ERROR_CLOCK_SETTING_DISABLED:
            return "Setting the system clock is not enabled in this program.";
        case ERROR_NOT_REGULAR_FILE:
            return "Not a regular file (a pipe, device or folder).";
        case ERROR_FILE_TOO_LARGE:
            return "The file is larger than 64 MiB.";
        default:
            return nullptr;
    }
}

}  // namespace

std::string ErrorMessage(int32_t code) {
    if (const char* named = NamedErrorText(code)) return named;
    // strerrordesc_np gives no text for an unknown number (strerror would invent
    // "Unknown error N"), so callers can tell a real description from none.
    if (const char* text = strerrordesc_np(code)) return text;
    return {};
}

int32_t LastError() {
    return errno;
}

}  // namespace ferrolin::platform
