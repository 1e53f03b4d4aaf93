#include "platform/net_socket.h"

#include "platform/errors.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <memory>

namespace ferrolin::platform {

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};
using AddrInfoList = std::unique_ptr<addrinfo, AddrInfoDeleter>;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    return static_cast<int>(left.count());
}

// poll() for one event, restarted after signals, until the deadline.
// Returns 1 when ready, 0 on time-out, -1 on error (errno set).
int WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int rc = poll(&p, 1, RemainingMs(deadline));
        if (rc < 0 && errno == EINTR) continue;
        return rc;
    }
}

// A non-blocking connect bounded by the deadline. Returns 0 or an errno value.
int ConnectWithin(int fd, const sockaddr* address, socklen_t length,
                  std::chrono::steady_clock::time_point deadline) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return errno;
    int rc = connect(fd, address, length);
    int result = 0;
    if (rc < 0) {
        if (errno != EINPROGRESS) return errno;
        int ready = WaitFor(fd, POLLOUT, deadline);
        if (ready < 0) return errno;
        if (ready == 0) return ETIMEDOUT;
        socklen_t size = sizeof(result);
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size) < 0) return errno;
    }
    if (result == 0 && fcntl(fd, F_SETFL, flags) < 0) return errno;
    return result;
}

}  // namespace

std::optional<Socket> ConnectSocket(const std::string& host, uint16_t port, SocketKind kind,
                                    std::chrono::milliseconds timeout, std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = kind == SocketKind::Datagram ? SOCK_DGRAM : SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* raw = nullptr;
    const std::string service = std::to_string(port);
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &raw);
    const int resolveErrno = errno;
    if (rc != 0) {
        error = "cannot resolve \"" + host + "\": " +
                (rc == EAI_SYSTEM ? ErrorMessage(resolveErrno) : std::string(gai_strerror(rc)));
        return std::nullopt;
    }
    AddrInfoList list(raw);
    error = "no address for \"" + host + "\"";
    for (addrinfo* a = list.get(); a != nullptr; a = a->ai_next) {
        Socket socket(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
        if (!socket.valid()) {
            const int code = errno;
            error = "socket: " + ErrorMessage(code);
            continue;
        }
        int code = ConnectWithin(socket.get(), a->ai_addr, a->ai_addrlen, deadline);
        if (code == 0) return socket;
        error = "cannot connect to " + host + ":" + service + ": " +
                (code == ETIMEDOUT ? std::string("no answer within the time-out")
                                   : ErrorMessage(code));
        if (code == ETIMEDOUT) break;  // the time-out covers all addresses together
    }
    return std::nullopt;
}

bool SendBytes(const Socket& socket, std::span<const uint8_t> bytes, std::string& error) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(socket.get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            const int code = errno;
            if (code == EINTR) continue;
            error = "send: " + ErrorMessage(code);
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::optional<size_t> ReceiveBytes(const Socket& socket, std::span<uint8_t> buffer,
                                   std::chrono::steady_clock::time_point deadline,
                                   std::string& error) {
    for (;;) {
        int ready = WaitFor(socket.get(), POLLIN, deadline);
        if (ready < 0) {
            const int code = errno;
            error = "poll: " + ErrorMessage(code);
            return std::nullopt;
        }
        if (ready == 0) {
            error = "no answer within the time-out";
            return std::nullopt;
        }
        ssize_t n = recv(socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n >= 0) return static_cast<size_t>(n);
        const int code = errno;
        if (code == EINTR || code == EAGAIN || code == EWOULDBLOCK) continue;
        error = "receive: " + ErrorMessage(code);
        return std::nullopt;
    }
}

}  // namespace ferrolin::platform
