#pragma once
// A POP3 session over libcurl: log in, count and list the messages, retrieve one into a
// file or a callback without holding it in memory, mark messages deleted, and quit (which
// is when the server carries out the deletions).
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/curl_driver.h"
#include "protocols/curl_easy.h"
#include "protocols/curl_handles.h"

namespace ferrolin {

inline constexpr uint16_t kPop3Port = 110;
inline constexpr uint16_t kPop3TlsPort = 995;

struct Pop3Address {
    bool tls = false;
    std::string host;
    uint16_t port = kPop3Port;
};

// "host", "host:port", "pop3://host[:port]" (plain) or "pop3s://host[:port]" (TLS from the
// first byte, default port 995); a trailing "/" is allowed. Nothing for anything else.
std::optional<Pop3Address> ParsePop3Address(std::string_view text);

using Pop3Options = ServerOptions;

struct Pop3Listing {
    int number = 0;
    uint64_t size = 0;
};

class Pop3Client {
  public:
    // Receives a message piece by piece; returning false stops the retrieval.
    using Sink = std::function<bool(const char* data, size_t size)>;
    // Asked at least every 100 ms while a command runs; false cancels it (the connection
    // is dropped without QUIT, so no deletion of this session is carried out).
    using KeepGoing = std::function<bool()>;
    // The sockets libcurl opened for this client, and whether it may open one now.
    struct Sockets {
        bool mayConnect = false;
        std::vector<curl_socket_t> open;
    };
    // The server's last status lines of one command.
    struct Replies {
        std::string lastOk;
        std::string lastError;
    };

    explicit Pop3Client(Pop3Options options = {});
    ~Pop3Client();  // quits a session still open
    Pop3Client(const Pop3Client&) = delete;
    Pop3Client& operator=(const Pop3Client&) = delete;

    // Opens a session and logs in; the user name and password go only to the login.
    // address: see ParsePop3Address.
    bool Connect(const std::string& address, const std::string& user, const std::string& password,
                 std::string& error);
    // True from a successful Connect until Disconnect or the end of the session (a dropped
    // connection, or a failed command after which curl closed it). Every command needs it,
    // and none ever runs on another connection: once the session's connection is gone,
    // every command fails until the next Connect.
    bool Connected() const { return connected_; }
    void SetKeepGoing(KeepGoing keepGoing) { keepGoing_ = std::move(keepGoing); }
    // Sends QUIT and closes the connection: the server deletes the marked messages now.
    void Disconnect();

    // STAT: the number of messages in the mailbox.
    std::optional<int> MessageCount(std::string& error);
    // LIST: number and size of each message.
    std::optional<std::vector<Pop3Listing>> List(std::string& error);
    // RETR: the whole message as the server stores it (dot-stuffing undone). Stopping it
    // from the sink drops the connection (no QUIT: no deletion of this session happens).
    // A retrieval whose connection ended before the message's terminating line is a
    // failure, even when libcurl took the end of the connection for the end of the text.
    bool Retrieve(int number, const Sink& sink, std::string& error);
    bool RetrieveToFd(int number, int fd, std::string& error);
    // DELE: marks the message; the server deletes it at Disconnect.
    bool Delete(int number, std::string& error);

  private:
    // Drops the connection without QUIT: the server carries out no deletion of it.
    void Abandon();
    // Whether the session's connection is still up (the server has not closed it).
    bool SessionAlive() const;
    // One command on the session: body to sink (or none), the last server reply kept.
    bool Perform(const std::string& path, const char* command, const Sink* sink,
                 std::string& error);

    Pop3Options options_;
    KeepGoing keepGoing_;
    Sockets sockets_;
    CurlEasy curl_;
    CurlDriver driver_;  // runs curl_ and keeps its connection between commands
    std::string baseUrl_;
    bool connected_ = false;
    bool opening_ = false;  // the login command, the one that may connect
    Replies replies_;
};

}  // namespace ferrolin
