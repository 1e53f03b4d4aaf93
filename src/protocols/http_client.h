#pragma once
// HTTP and HTTPS downloads over libcurl. A download lands under a temporary name in the
// target's folder and is renamed when complete; a refused request (status 400 and above),
// a broken connection or a cancel leave nothing under the target name. Redirects are
// followed; HTTPS checks the server certificate. The body streams to disk, so a download
// of any size takes the same little memory.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "protocols/curl_easy.h"
#include "protocols/curl_handles.h"

namespace ferrolin {

struct HttpOptions : ServerOptions {
    std::string userAgent = "Mozilla/3.0 (compatible; Indy Library)";
    std::string accept = "text/html, */*";
    long maxRedirects = 10;
};

struct HttpResult {
    bool ok = false;
    // The final answer's status code and status line ("HTTP/1.1 404 Not Found"); 0 and ""
    // when no answer came.
    long status = 0;
    std::string statusLine;
    // Why it failed: the status line for a refused request, else the transfer's reason.
    std::string error;
    // False when the file could not even be created in the target folder.
    bool fileCreated = false;
    uint64_t bytes = 0;
};

// Told the bytes received so far and the expected total (0: unknown); false cancels.
using HttpProgress = std::function<bool(uint64_t received, uint64_t total)>;

class HttpClient {
  public:
    explicit HttpClient(HttpOptions options = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // GET url into the file targetPath on fs, this computer's disks or a share (replaced
    // when it exists, and only on success).
    HttpResult Download(platform::FileSystem& fs, const std::string& url,
                        const std::string& targetPath, const HttpProgress& progress = {});
    // GET url as text; an answer larger than maxBytes fails.
    HttpResult GetText(const std::string& url, std::string& text,
                       size_t maxBytes = size_t{16} << 20);
    // Closes a connection kept open from the last request; cookies are forgotten.
    void Disconnect();

  private:
    using Sink = std::function<bool(const char* data, size_t size)>;
    HttpResult Get(const std::string& url, const Sink& sink, const HttpProgress& progress);
    CURL* Handle();

    HttpOptions options_;
    CurlEasy curl_;
    CurlSlist headers_;
};

}  // namespace ferrolin
