#pragma once
// A file-server client over libcurl: plain FTP, FTP over TLS (explicit or implicit) and
// SFTP, with the same operations. One easy handle lives as long as the client, so every
// operation after Open() reuses the logged-in connection; libcurl logs in again by itself
// when the server dropped it. Paths are absolute remote paths in the server's own bytes
// (the caller converts names). Credentials go in as options, never into a URL.
//
// Servers are verified before a password goes out: TLS certificates as TlsTrust says,
// SSH host keys against a known_hosts file (an unknown or changed key ends the
// connection before the logon).
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
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "protocols/curl_driver.h"
#include "protocols/curl_handles.h"
#include "protocols/ftp_listing.h"
#include "protocols/ftp_replies.h"
#include "protocols/ftp_scheme.h"
#include "protocols/ssh_host_key.h"
#include "protocols/tls_trust.h"

namespace ferrolin {

struct FtpConnectOptions {
    FtpScheme scheme = FtpScheme::Ftp;
    std::string host;  // a name or an address (IPv6 without brackets)
    uint16_t port = 21;
    std::string user;      // empty: "anonymous"
    std::string password;  // with sshKeyFile: the key's passphrase
    // SFTP: a private key file logs on with the key instead of the password.
    std::string sshKeyFile;
    // SFTP: the known_hosts file the server's host key must be in.
    std::string knownHostsFile;
    // FTPS: whom the certificate must be vouched for by.
    TlsTrust tls;
    // Connect only to see who the server is (its host key or certificate, see
    // Identity()); nothing is verified and no password is sent.
    bool learnIdentity = false;
    // Bytes per second each way for the data of transfers; 0: no limit.
    int64_t maxBytesPerSecond = 0;
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
    void SetMaxBytesPerSecond(int64_t limit) { options_.maxBytesPerSecond = limit; }
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
    // SIZE and MDTM of a file (SFTP: its attributes); false when the server answered
    // neither.
    bool FileFacts(std::string_view path, FtpFileFacts& facts, const Progress& progress,
                   std::string& error);
    // Sets a file's modification time (UTC seconds): SFTP always, FTP where the server
    // announced MFMT; false otherwise.
    bool SetModified(std::string_view path, int64_t unixTime, const Progress& progress,
                     std::string& error);
    // Whether SetModified can work on this server.
    bool CanSetModified() const;
    // SFTP listings give times to the minute (or the day) in the server's own time zone:
    // exact times come from FileFacts.
    bool ListingTimesExact() const { return options_.scheme != FtpScheme::Sftp; }
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

    // Who the server said it was on the last connection: the SSH host key and how it
    // compared with known_hosts, the TLS certificate (collected with learnIdentity) and
    // why it was refused.
    struct ServerIdentity {
        HostKeyMatch hostKeyMatch = HostKeyMatch::NotChecked;
        SshHostKey hostKey;
        TlsProblem certificateProblem = TlsProblem::None;
        PeerCertificate certificate;
    };
    ServerIdentity Identity() const;

  private:
    struct Operation;
    // A transfer that only sends commands (each with prefix), refused when one would end
    // its line early.
    bool CommandOperation(const std::vector<std::string>& commands, std::string_view prefix,
                          const Progress& progress, Operation& op, std::string& error);
    // The final reply to each command, in order; a refusal is an answer, not a failure.
    bool Ask(const std::vector<std::string>& commands, const Progress& progress,
             std::vector<std::string>& replies, std::string& error);
    // Commands that must all be accepted (a reply below 400).
    bool Commands(const std::vector<std::string>& commands, const Progress& progress,
                  std::string& error);
    bool Perform(Operation& operation, std::string& error);
    int PerformOnce(Operation& operation, bool freshConnection);  // a CURLcode
    // The steps of one transfer's set-up: where and how to connect and log on, the buffers
    // (and the rate limit), the commands, where the data goes or comes from, and the
    // progress and abort checks.
    using ProgressData = std::pair<FtpClient*, Operation*>;
    void ApplyConnection(CURL* curl, Operation& operation, bool freshConnection);
    void ApplyBufferSizes(CURL* curl) const;
    static void ApplyCommand(CURL* curl, Operation& operation, curl_slist* quote);
    static void ApplyDataTransfer(CURL* curl, Operation& operation);
    static void ApplyProgress(CURL* curl, ProgressData& data);
    // After a transfer that asked for them: the file's time and size as the server told.
    static void CollectFileFacts(CURL* curl, Operation& operation);
    std::string BaseUrl() const;
    std::string PathUrl(std::string_view path, bool folder) const;
    // The scheme's options of one transfer: protocol, TLS, SSH logon and host key.
    void ApplySecurity(CURL* curl, bool fileTime);
    // After a transfer: what it told about the server's identity.
    void NoteIdentity(CURL* curl, CURLcode code);
    bool Sftp() const { return options_.scheme == FtpScheme::Sftp; }
    // SFTP's counterparts of the FTP commands (libcurl's SFTP "quote" commands).
    bool SftpOpen(const Progress& progress, std::string& error);
    bool SftpCommands(const std::vector<std::string>& commands, const Progress& progress,
                      std::string& error);
    bool SftpFileFacts(std::string_view path, FtpFileFacts& facts, const Progress& progress,
                       std::string& error);

    CurlEasy curl_;
    CurlDriver driver_;  // runs curl_ and keeps its connection between operations
    FtpConnectOptions options_;
    FtpFeatures features_;
    std::string home_;
    std::string sftpFolder_;  // SFTP has no current folder on the server: it is kept here
    HostKeyCheck hostKey_;
    TlsProblem tlsProblem_ = TlsProblem::None;
    PeerCertificate certificate_;
    bool open_ = false;
    bool lost_ = false;
    std::atomic<bool> busy_{false};
    std::atomic<bool> abort_{false};
};

}  // namespace ferrolin
