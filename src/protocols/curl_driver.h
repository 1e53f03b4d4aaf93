#pragma once
// Runs one libcurl easy handle to its end through a multi handle of its own, in place of
// curl_easy_perform. The multi handle keeps the connections between runs, so a control
// connection is reused exactly as with curl_easy_perform.
//
// Why not curl_easy_perform: that waits up to a second whenever libcurl is between two
// steps with no socket to watch. An FTP server that answers EPSV/PASV before libcurl
// polls for the answer leaves libcurl in just that state (the data connection is not
// opened yet), and every such transfer then starts a second late. Here such a gap is
// polled again after a millisecond.
#include <curl/curl.h>

#include <functional>
#include <memory>

namespace ferrolin {

class CurlDriver {
  public:
    CurlDriver() = default;
    CurlDriver(const CurlDriver&) = delete;
    CurlDriver& operator=(const CurlDriver&) = delete;

    // Runs easy until it is done and returns its result. The progress callback is called
    // at least once a second meanwhile, as with curl_easy_perform.
    CURLcode Run(CURL* easy);
    // The same, asking keepGoing at least every 100 ms in every phase (connecting, waiting
    // for a reply, transferring): false ends the transfer at once with
    // CURLE_ABORTED_BY_CALLBACK, and libcurl drops its connection.
    CURLcode Run(CURL* easy, const std::function<bool()>& keepGoing);
    // Closes the kept connections (FTP: QUIT on a connection that is still up).
    void Reset() { multi_.reset(); }
    // Whether the last Run left its connection open for the next one. libcurl closes an
    // FTP control connection after most failed commands (a refused CWD among them); the
    // next run then connects and logs in anew.
    bool ConnectionKept() const { return connectionKept_; }

  private:
    struct MultiCleanup {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    std::unique_ptr<CURLM, MultiCleanup> multi_;
    bool connectionKept_ = false;
};

}  // namespace ferrolin
