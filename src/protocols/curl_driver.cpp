#include "protocols/curl_driver.h"

#include <sys/select.h>

namespace ferrolin {

namespace {

// The longest wait for socket activity; libcurl's own timers shorten it.
constexpr int kWaitMs = 1000;
// The wait when libcurl watches no socket: it is between steps and goes on at its next
// call.
constexpr int kBetweenStepsMs = 1;
// The longest wait between two questions to a keep-going check.
constexpr int kCheckMs = 100;

// Whether libcurl watches at least one socket now. (A socket beyond FD_SETSIZE is not
// reported; the loop then merely polls more often.)
bool WatchesSockets(CURLM* multi) {
    fd_set readSet;
    fd_set writeSet;
    fd_set errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    int maxFd = -1;
    if (curl_multi_fdset(multi, &readSet, &writeSet, &errorSet, &maxFd) != CURLM_OK) return true;
    return maxFd >= 0;
}

}  // namespace

CURLcode CurlDriver::Run(CURL* easy) {
    return Run(easy, {});
}

CURLcode CurlDriver::Run(CURL* easy, const std::function<bool()>& keepGoing) {
    if (!multi_) {
        multi_.reset(curl_multi_init());
        if (!multi_) return CURLE_OUT_OF_MEMORY;
    }
    CURLM* multi = multi_.get();
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;

    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        CURLMcode code = curl_multi_perform(multi, &running);
        if (code == CURLM_OK && running > 0 && keepGoing && !keepGoing()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (code == CURLM_OK && running > 0) {
            const int wait =
                WatchesSockets(multi) ? (keepGoing ? kCheckMs : kWaitMs) : kBetweenStepsMs;
            code = curl_multi_poll(multi, nullptr, 0, wait, nullptr);
        }
        if (code != CURLM_OK) {
            result = code == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy &&
            result != CURLE_ABORTED_BY_CALLBACK) {
            result = message->data.result;
        }
    }
    // Asked while the handle is still in the multi handle, whose cache holds the connection.
    curl_socket_t socket = CURL_SOCKET_BAD;
    connectionKept_ = curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
                      socket != CURL_SOCKET_BAD;
    curl_multi_remove_handle(multi, easy);
    return result;
}

}  // namespace ferrolin
