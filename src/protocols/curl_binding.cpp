// libcurl's functions as this program uses them, bound at the first call (see
// bound_library.h). Without the library every call fails the way libcurl itself reports
// a failure: no handle, CURLE_FAILED_INIT, CURLM_INTERNAL_ERROR.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <cstdarg>

#include "protocols/bound_library.h"

namespace ferrolin {
namespace {

// libcurl's global set-up (not thread-safe before 7.84) runs once, as the library is
// loaded: before any other call into it, whichever client comes first.
class CurlLibrary : public BoundLibrary {
  public:
    CurlLibrary() : BoundLibrary("libcurl.so.4", "FTP, HTTP and mail jobs") {
        if (const auto init = Find<decltype(&::curl_global_init)>("curl_global_init"))
            init(CURL_GLOBAL_DEFAULT);
    }
};

const BoundLibrary& Curl() {
    static const CurlLibrary library;
    return library;
}

}  // namespace
}  // namespace ferrolin

#define FORWARD(Result, name, Params, Args, Failure) \
    FERROLIN_FORWARD(ferrolin::Curl(), Result, name, Params, Args, Failure)

FORWARD(CURLcode, curl_global_init, (long flags), (flags), CURLE_FAILED_INIT)
FORWARD(void, curl_global_cleanup, (void), (), void())
FORWARD(CURL*, curl_easy_init, (void), (), nullptr)
FORWARD(void, curl_easy_cleanup, (CURL * handle), (handle), void())
FORWARD(void, curl_easy_reset, (CURL * handle), (handle), void())
FORWARD(CURLcode, curl_easy_perform, (CURL * handle), (handle), CURLE_FAILED_INIT)
FORWARD(CURLcode, curl_easy_pause, (CURL * handle, int mask), (handle, mask), CURLE_FAILED_INIT)
FORWARD(const char*, curl_easy_strerror, (CURLcode code), (code), "libcurl is not loaded")
FORWARD(char*, curl_easy_escape, (CURL * handle, const char* text, int length),
        (handle, text, length), nullptr)
FORWARD(char*, curl_easy_unescape, (CURL * handle, const char* text, int length, int* out),
        (handle, text, length, out), nullptr)
FORWARD(void, curl_free, (void* memory), (memory), void())
FORWARD(curl_slist*, curl_slist_append, (curl_slist * list, const char* text), (list, text),
        nullptr)
FORWARD(void, curl_slist_free_all, (curl_slist * list), (list), void())
FORWARD(CURLM*, curl_multi_init, (void), (), nullptr)
FORWARD(CURLMcode, curl_multi_cleanup, (CURLM * multi), (multi), CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_add_handle, (CURLM * multi, CURL* handle), (multi, handle),
        CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_remove_handle, (CURLM * multi, CURL* handle), (multi, handle),
        CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_perform, (CURLM * multi, int* running), (multi, running),
        CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_fdset,
        (CURLM * multi, fd_set* read, fd_set* write, fd_set* exception, int* maxFd),
        (multi, read, write, exception, maxFd), CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_poll,
        (CURLM * multi, curl_waitfd extra[], unsigned int count, int timeoutMs, int* ready),
        (multi, extra, count, timeoutMs, ready), CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_wait,
        (CURLM * multi, curl_waitfd extra[], unsigned int count, int timeoutMs, int* ready),
        (multi, extra, count, timeoutMs, ready), CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_wakeup, (CURLM * multi), (multi), CURLM_INTERNAL_ERROR)
FORWARD(CURLMcode, curl_multi_timeout, (CURLM * multi, long* timeoutMs), (multi, timeoutMs),
        CURLM_INTERNAL_ERROR)
FORWARD(CURLMsg*, curl_multi_info_read, (CURLM * multi, int* queued), (multi, queued), nullptr)

// The two functions that take one more argument of a type given by the option: libcurl
// reads it by the option's number range, and so does the forwarder. Their last named
// parameter is an enum, which clang warns about before va_start (libcurl's own definitions
// do the same; the enum is an int on every ABI this builds for).
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wvarargs"
#endif
extern "C" FERROLIN_BOUND CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    static const auto real = ferrolin::Curl().Find<decltype(&::curl_easy_setopt)>(
        "curl_easy_setopt");
    if (real == nullptr) return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        result = real(handle, option, va_arg(arguments, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = real(handle, option, va_arg(arguments, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        result = real(handle, option, va_arg(arguments, void (*)()));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = real(handle, option, va_arg(arguments, curl_off_t));
    } else {
        result = real(handle, option, va_arg(arguments, void*));
    }
    va_end(arguments);
    return result;
}

extern "C" FERROLIN_BOUND CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    static const auto real = ferrolin::Curl().Find<decltype(&::curl_easy_getinfo)>(
        "curl_easy_getinfo");
    if (real == nullptr) return CURLE_FAILED_INIT;
    // Every kind of information is written through a pointer.
    va_list arguments;
    va_start(arguments, info);
    const CURLcode result = real(handle, info, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}
