#include "protocols/pop3_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <sstream>

#include "protocols/curl_easy.h"
#include "protocols/fd_writer.h"
#include "protocols/host_port.h"

namespace ferrolin {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

// A host name or address that can stand in a URL as it is.
bool PlainHost(std::string_view host) {
    for (const char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '-' && c != '_' && c != ':') return false;
    }
    return true;
}

// Every server reply line comes through the header callback. The last "+OK" carries the
// answer to STAT; the last "-ERR" is what a failure reports (curl may send QUIT after it).
size_t KeepReply(char* data, size_t, size_t size, void* user) {
    std::string_view line(data, size);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    auto& replies = *static_cast<Pop3Client::Replies*>(user);
    if (line.rfind("+OK", 0) == 0) replies.lastOk = std::string(line);
    if (line.rfind("-ERR", 0) == 0) replies.lastError = std::string(line);
    return size;
}

size_t PassToSink(char* data, size_t, size_t size, void* user) {
    const auto* sink = static_cast<const Pop3Client::Sink*>(user);
    if (sink == nullptr) return size;
    return (*sink)(data, size) ? size : 0;
}

// libcurl opens every connection through here: once the session is logged in no other
// may be opened, so a command never goes out on a new session in place of a lost one
// (message numbers and marked deletions belong to the session that made them).
curl_socket_t OpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    auto& sockets = *static_cast<Pop3Client::Sockets*>(user);
    if (!sockets.mayConnect) return CURL_SOCKET_BAD;
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd >= 0) sockets.open.push_back(fd);
    return fd;
}

int CloseSocket(void* user, curl_socket_t fd) {
    auto& open = static_cast<Pop3Client::Sockets*>(user)->open;
    open.erase(std::remove(open.begin(), open.end(), fd), open.end());
    return ::close(fd);
}

// True when the server has closed the connection (or it failed). Data waiting to be read
// is no sign of either (a TLS server may send a session ticket after the login).
bool PeerClosed(int fd) {
    pollfd watch{fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&watch, 1, 0) <= 0) return false;
    if ((watch.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) return true;
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

std::optional<uint64_t> ParseNumber(std::string_view text) {
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<Pop3Address> ParsePop3Address(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    Pop3Address address;
    if (StartsWithNoCase(text, "pop3s://")) {
        address.tls = true;
        address.port = kPop3TlsPort;
        text.remove_prefix(8);
    } else if (StartsWithNoCase(text, "pop3://")) {
        text.remove_prefix(7);
    }
    if (!text.empty() && text.back() == '/') text.remove_suffix(1);
    auto split = SplitHostPort(text, address.port);
    if (!split || !PlainHost(split->host)) return std::nullopt;
    address.host = split->host;
    address.port = split->port;
    return address;
}

Pop3Client::Pop3Client(Pop3Options options) : options_(std::move(options)) {}

Pop3Client::~Pop3Client() {
    Disconnect();
}

bool Pop3Client::Connect(const std::string& address, const std::string& user,
                         const std::string& password, std::string& error) {
    Disconnect();
    const auto parsed = ParsePop3Address(address);
    if (!parsed) {
        error = "Not a POP3 server address: " + address;
        return false;
    }
    const bool v6 = parsed->host.find(':') != std::string::npos;
    baseUrl_ = std::string(parsed->tls ? "pop3s://" : "pop3://") + (v6 ? "[" : "") + parsed->host +
               (v6 ? "]" : "") + ":" + std::to_string(parsed->port) + "/";

    curl_ = MakeCurlEasy({.protocols = "pop3,pop3s",
                          .connectTimeout = options_.connectTimeout,
                          .stallTimeout = options_.stallTimeout,
                          .user = user.c_str(),
                          .password = password.c_str(),
                          .tls = &options_});
    if (!curl_) {
        error = "The POP3 client cannot start";
        return false;
    }
    CURL* c = curl_.get();
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, KeepReply);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &replies_);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, PassToSink);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, OpenSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &sockets_);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, CloseSocket);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETDATA, &sockets_);

    // NOOP: connects, logs in and leaves the session open for what follows.
    connected_ = true;
    opening_ = true;
    sockets_.mayConnect = true;
    const bool opened = Perform("", "NOOP", nullptr, error);
    sockets_.mayConnect = false;
    opening_ = false;
    if (!opened) {
        Abandon();
        return false;
    }
    if (!connected_) error = "The server closed the POP3 session at once";
    return connected_;
}

void Pop3Client::Disconnect() {
    // Closing the kept connection sends QUIT on it.
    driver_.Reset();
    curl_.reset();
    connected_ = false;
}

void Pop3Client::Abandon() {
    // A connection shut down here takes no QUIT when libcurl closes it.
    for (const curl_socket_t fd : sockets_.open) ::shutdown(fd, SHUT_RDWR);
    Disconnect();
}

bool Pop3Client::SessionAlive() const {
    return sockets_.open.size() == 1 && !PeerClosed(sockets_.open.front());
}

bool Pop3Client::Perform(const std::string& path, const char* command, const Sink* sink,
                         std::string& error) {
    // Message numbers hold only within one session: once it has ended (the server may have
    // carried out deletions at its QUIT), no command may silently run on a new one.
    if (!curl_ || !connected_) {
        error = "The POP3 session is not open";
        return false;
    }
    if (!opening_ && !SessionAlive()) {
        Abandon();
        error = "The POP3 session was lost";
        return false;
    }
    CURL* c = curl_.get();
    replies_ = Replies{};
    char detail[CURL_ERROR_SIZE] = "";
    const std::string url = baseUrl_ + path;
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(c, CURLOPT_NOBODY, sink == nullptr ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, sink);
    const CURLcode code = driver_.Run(c, keepGoing_);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);

    // The session lives as long as its one connection is up.
    connected_ = SessionAlive();
    if (!connected_ && !sockets_.open.empty()) Abandon();
    if (code == CURLE_OK) return true;
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        error = "The POP3 command was cancelled";
        return false;
    }
    if (code == CURLE_COULDNT_CONNECT && !opening_) {
        error = "The POP3 session was lost";
        return false;
    }
    error = CurlFailureText(curl_.get(), code, detail);
    if (!replies_.lastError.empty()) error += " (" + replies_.lastError + ")";
    return false;
}

std::optional<int> Pop3Client::MessageCount(std::string& error) {
    if (!Perform("", "STAT", nullptr, error)) return std::nullopt;
    // "+OK count octets"
    std::istringstream reply(replies_.lastOk);
    std::string ok;
    long long count = -1;
    reply >> ok >> count;
    if (ok != "+OK" || count < 0 || count > 1000000000) {
        error = "Unexpected answer to STAT: " + replies_.lastOk;
        return std::nullopt;
    }
    return static_cast<int>(count);
}

std::optional<std::vector<Pop3Listing>> Pop3Client::List(std::string& error) {
    std::string text;
    const Sink collect = [&](const char* data, size_t size) {
        text.append(data, size);
        return text.size() < (64u << 20);  // a scan listing, not a message
    };
    if (!Perform("", nullptr, &collect, error)) return std::nullopt;
    std::vector<Pop3Listing> listing;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t blank = line.find(' ');
        const auto number = ParseNumber(std::string_view(line).substr(0, blank));
        const auto size = blank == std::string::npos
                              ? std::nullopt
                              : ParseNumber(std::string_view(line).substr(blank + 1));
        if (!number || !size || *number == 0 || *number > 1000000000) {
            error = "Unexpected line in the message list: " + line;
            return std::nullopt;
        }
        listing.push_back({static_cast<int>(*number), *size});
    }
    return listing;
}

bool Pop3Client::Retrieve(int number, const Sink& sink, std::string& error) {
    if (number < 1) {
        error = "No message " + std::to_string(number);
        return false;
    }
    if (!Perform(std::to_string(number), nullptr, &sink, error)) return false;
    if (!connected_) {
        // libcurl ends a message at the end of the connection as well as at its
        // terminating line; a server that went away may have sent only part of it.
        error = "The connection ended before the end of message " + std::to_string(number);
        return false;
    }
    return true;
}

bool Pop3Client::RetrieveToFd(int number, int fd, std::string& error) {
    // A write failure does not stop the transfer: the rest is read and dropped, so the
    // session (and the deletions asked for in it) survives a full disk.
    std::string writeError;
    const Sink toFd = [&](const char* data, size_t size) {
        if (writeError.empty()) WriteAllToFd(fd, data, size, writeError);
        return true;
    };
    if (!Retrieve(number, toFd, error)) return false;
    if (!writeError.empty()) {
        error = writeError;
        return false;
    }
    return true;
}

bool Pop3Client::Delete(int number, std::string& error) {
    if (number < 1) {
        error = "No message " + std::to_string(number);
        return false;
    }
    return Perform(std::to_string(number), "DELE", nullptr, error);
}

}  // namespace ferrolin
