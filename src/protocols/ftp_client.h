#pragma once
// An FTP client over libcurl. One easy handle lives as long as the client, so every
// operation after Open() reuses the logged-in control connection; libcurl logs in again
// by itself when the server dropped it. Paths are absolute remote paths in the server's
// own bytes (the caller converts names). Credentials go in as options, never into a URL.
//
// Not thread-safe: one thread runs the operations. RequestAbort() may be called from any
// thread (and from inside the progress callback) and stops the running operation at the
// next progress call, which libcurl makes at least once a second.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "protocols/curl_driver.h"
#include "protocols/ftp_listing.h"
#include "protocols/ftp_replies.h"

namespace ferrolin {

struct FtpConnectOptions {
    std::string host;  // a name or an address (IPv6 without brackets)
    uint16_t port = 21;
    std::string user;  // empty: "anonymous"
    std::string password;
    bool passive = true;  // false: active mode (PORT/EPRT)
    std::chrono::milliseconds connectTimeout{5000};
    // A transfer that moves no byte, or a server that does not answer, for this long
    // fails.
    std::chrono::milliseconds stallTimeout{30000};
};

class FtpClient {
  public:
    // Called while an operation runs with the bytes moved so far (0 outside transfers);
    // returning false aborts the operation.
    using Progress = std::function<bool(int64_t bytesDone)>;

    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Connects, logs in, reads FEAT and switches to UTF-8 names where announced.
    bool Open(const FtpConnectOptions& options, const Progress& progress, std::string& error);
    bool IsOpen() const { return open_; }
    // QUIT (when the connection is still up) and forget it.
    void Close();

    const FtpConnectOptions& Options() const { return options_; }
    // Passive or active mode for the data connections from the next operation on.
    void SetPassive(bool passive) { options_.passive = passive; }
    const FtpFeatures& Features() const { return features_; }
    // The folder the login left us in.
    const std::string& HomeFolder() const { return home_; }

    // CWD path, then PWD: folder is where the server says we are.
    bool ChangeFolder(std::string_view path, std::string& folder, const Progress& progress,
                      std::string& error);
    // MLSD where announced, LIST otherwise; the raw text and which form it is.
    bool List(std::string_view folder, std::string& text, FtpListFormat& format,
              const Progress& progress, std::string& error);
    // RETR path into fd (written from its current position). resumeFrom > 0 asks the
    // server to start at that byte (REST); a server that refuses fails the download
    // before any byte is written.
    bool Download(std::string_view path, int fd, const Progress& progress, std::string& error,
                  int64_t resumeFrom = 0);
    // STOR path from fd (read from its current position to its end); size may be -1.
    bool Upload(std::string_view path, int fd, int64_t size, const Progress& progress,
                std::string& error);
    // The same through the file-system seam, for a file on this computer or on a share.
    bool Download(std::string_view path, platform::FsFile& file, const Progress& progress,
                  std::string& error);
    bool Upload(std::string_view path, platform::FsFile& file, int64_t size,
                const Progress& progress, std::string& error);
    bool Delete(std::string_view path, const Progress& progress, std::string& error);
    bool Rename(std::string_view from, std::string_view to, const Progress& progress,
                std::string& error);
    bool MakeFolder(std::string_view path, const Progress& progress, std::string& error);
    bool RemoveFolder(std::string_view path, const Progress& progress, std::string& error);
    bool Site(std::string_view command, const Progress& progress, std::string& error);
    // SIZE and MDTM of a file; false when the server answered neither.
    bool FileFacts(std::string_view path, FtpFileFacts& facts, const Progress& progress,
                   std::string& error);
    // NOOP: whether the server still answers (libcurl logs in again once when the server
    // had dropped the connection).
    bool Noop(const Progress& progress, std::string& error);

    // Stops the running operation (any thread). Without a running operation it does
    // nothing: the request is not kept for the next one.
    void RequestAbort();
    // True while an operation runs.
    bool Busy() const { return busy_; }
    // The last operation failed and its control connection went with it (the next
    // operation logs in again).
    bool ConnectionLost() const { return open_ && lost_; }

  private:
    struct Operation;
    // The final reply to each command, in order; a refusal is an answer, not a failure.
    bool Ask(const std::vector<std::string>& commands, const Progress& progress,
             std::vector<std::string>& replies, std::string& error);
    // Commands that must all be accepted (a reply below 400).
    bool Commands(const std::vector<std::string>& commands, const Progress& progress,
                  std::string& error);
    bool Perform(Operation& operation, std::string& error);
    int PerformOnce(Operation& operation, bool freshConnection);  // a CURLcode
    std::string BaseUrl() const;
    std::string PathUrl(std::string_view path, bool folder) const;

    std::unique_ptr<void, void (*)(void*)> curl_;
    CurlDriver driver_;  // runs curl_ and keeps its connection between operations
    FtpConnectOptions options_;
    FtpFeatures features_;
    std::string home_;
    bool open_ = false;
    bool lost_ = false;
    std::atomic<bool> busy_{false};
    std::atomic<bool> abort_{false};
};

}  // namespace ferrolin
