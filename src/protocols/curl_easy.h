#pragma once
// The set-up every libcurl client here gives its easy handles: signals off, the schemes it
// may use, the time-outs, the logon, whom TLS trusts, no proxy from the environment, and
// where curl writes the detail of a failure. Each client adds its protocol's own options
// after these.
#include <curl/curl.h>

#include <chrono>
#include <string>

#include "protocols/curl_handles.h"
#include "protocols/tls_trust.h"

namespace ferrolin {

// What a client of one server is given: how long it may wait, and whom TLS trusts.
struct ServerOptions : TlsTrust {
    std::chrono::seconds connectTimeout{30};
    // A transfer that receives nothing for this long fails.
    std::chrono::seconds stallTimeout{120};
};

struct CurlCommonOptions {
    // The schemes the handle may use ("pop3,pop3s"); null: not set here.
    const char* protocols = nullptr;
    // 0: libcurl's own.
    std::chrono::milliseconds connectTimeout{0};
    // A transfer that moves no byte for this long fails; 0: no such limit.
    std::chrono::seconds stallTimeout{0};
    // The longest a whole transfer may take; 0: no limit.
    std::chrono::milliseconds totalTimeout{0};
    // The logon; null user: none is sent.
    const char* user = nullptr;
    const char* password = nullptr;
    // Whom the server's certificate must be vouched for by; null: not set here.
    const TlsTrust* tls = nullptr;
    // Never a proxy named by the environment (http_proxy, all_proxy, ...).
    bool noProxy = false;
    // Receives curl's detail of a failure (CURL_ERROR_SIZE bytes); null: none.
    char* errorBuffer = nullptr;
};

// Sets the common options on handle. Signals are always off: libcurl's alarm signal for
// name look-up time-outs is not safe in a program with several threads.
void ApplyCommonOptions(CURL* handle, const CurlCommonOptions& options);

// A new easy handle with the common options set; empty when libcurl cannot start.
CurlEasy MakeCurlEasy(const CurlCommonOptions& options);

// Appends text to list; false (the list left as it was) when memory ran out.
bool AppendToList(CurlSlist& list, const char* text);

// A failed transfer's text: curl's detail (or the code's text), and why the certificate
// was not trusted when that was the cause.
std::string CurlFailureText(CURL* handle, CURLcode code, const char* detail);

}  // namespace ferrolin
