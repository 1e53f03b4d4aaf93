#pragma once
// Ownership of libcurl handles, and the error text of a failed transfer.
#include <curl/curl.h>

#include <memory>
#include <string>

namespace ferrolin {

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;

struct CurlSlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistFree>;

// curl's detail text when it gave one (it names host, port and reason), else the text of
// the code.
inline std::string CurlErrorText(CURLcode code, const char* detail) {
    if (detail != nullptr && detail[0] != '\0') return detail;
    return curl_easy_strerror(code);
}

}  // namespace ferrolin
