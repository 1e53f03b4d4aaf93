#include "protocols/curl_easy.h"

namespace ferrolin {

void ApplyCommonOptions(CURL* handle, const CurlCommonOptions& options) {
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (options.protocols != nullptr)
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, options.protocols);
    if (options.connectTimeout.count() > 0) {
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.connectTimeout.count()));
    }
    if (options.stallTimeout.count() > 0) {
        // At least one byte a second, or the stall time has run out.
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME,
                         static_cast<long>(options.stallTimeout.count()));
    }
    if (options.totalTimeout.count() > 0) {
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(options.totalTimeout.count()));
    }
    if (options.user != nullptr) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, options.user);
        curl_easy_setopt(handle, CURLOPT_PASSWORD,
                         options.password != nullptr ? options.password : "");
    }
    if (options.tls != nullptr) ApplyTlsTrust(handle, *options.tls);
    if (options.noProxy) curl_easy_setopt(handle, CURLOPT_PROXY, "");
    if (options.errorBuffer != nullptr)
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, options.errorBuffer);
}

CurlEasy MakeCurlEasy(const CurlCommonOptions& options) {
    CurlEasy handle(curl_easy_init());
    if (handle) ApplyCommonOptions(handle.get(), options);
    return handle;
}

bool AppendToList(CurlSlist& list, const char* text) {
    // curl_slist_append gives the list's head, or null (the list left as it was).
    curl_slist* grown = curl_slist_append(list.get(), text);
    if (grown == nullptr) return false;
    (void)list.release();
    list.reset(grown);
    return true;
}

std::string CurlFailureText(CURL* handle, CURLcode code, const char* detail) {
    std::string text = CurlErrorText(code, detail);
    if (const TlsProblem problem = TlsProblemOf(handle, code); problem != TlsProblem::None)
        text += " (certificate not trusted: " + std::string(TlsProblemText(problem)) + ")";
    return text;
}

}  // namespace ferrolin
