#include "support/time_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <signal.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/net_socket.h"

namespace ferrolin::test {

namespace {

constexpr int64_t kNtpEpochOffset = 2208988800LL;

// A socket bound to 127.0.0.1:0 (an ephemeral port), its port in port.
int BindLoopback(int type, uint16_t& port) {
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Any answer at all to an SNTP request: the server is up (it may still refuse to serve).
bool SntpServerAnswers(uint16_t port) {
    std::string error;
    auto socket = platform::ConnectSocket("127.0.0.1", port, platform::SocketKind::Datagram,
                                          std::chrono::milliseconds(200), error);
    if (!socket) return false;
    std::array<uint8_t, 48> request{};
    request[0] = 0x23;
    if (!platform::SendBytes(*socket, request, error)) return false;
    std::array<uint8_t, 512> buffer{};
    auto got = platform::ReceiveBytes(
        *socket, buffer, std::chrono::steady_clock::now() + std::chrono::milliseconds(200),
        error);
    return got && *got >= 48;
}

void PutUint32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 24);
    bytes[at + 1] = static_cast<uint8_t>(value >> 16);
    bytes[at + 2] = static_cast<uint8_t>(value >> 8);
    bytes[at + 3] = static_cast<uint8_t>(value);
}

bool WaitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

}  // namespace

bool TcpPortAccepts(uint16_t port) {
    std::string error;
    return platform::ConnectSocket("127.0.0.1", port, platform::SocketKind::Stream,
                                   std::chrono::milliseconds(200), error)
        .has_value();
}

uint16_t FreeLoopbackPort(bool udp) {
    uint16_t port = 0;
    close(BindLoopback(udp ? SOCK_DGRAM : SOCK_STREAM, port));
    return port;
}

// ---- server programs ----

LoopbackDaemon::~LoopbackDaemon() { process_.reset(); }

std::string LoopbackDaemon::Log() const { return ReadFile(dir_ / logName_); }

void LoopbackDaemon::Stop() {
    process_.reset();
    ready_ = false;
}

void LoopbackDaemon::KillSessions() {
    if (!process_) return;
    // Parent of every process, from /proc/<pid>/stat ("pid (name) state ppid ...").
    std::map<pid_t, pid_t> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadFile(entry.path() / "stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        pid_t parent = 0;
        if (rest >> state >> parent) parents[std::stoi(name)] = parent;
    }
    std::set<pid_t> below{process_->pid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parents) {
            if (below.count(parent) && below.insert(pid).second) grew = true;
        }
    }
    below.erase(process_->pid());
    for (const pid_t pid : below) kill(pid, SIGKILL);
}

void LoopbackDaemon::Start(bool udp,
                           const std::function<std::vector<std::string>(uint16_t)>& commandFor,
                           const std::function<bool(uint16_t)>& answers) {
    commandFor_ = commandFor;
    answers_ = answers;
    // A port taken between probing and binding makes the server fail: try a few.
    for (int attempt = 0; attempt < 5 && !ready_; ++attempt) {
        process_.reset();
        port_ = FreeLoopbackPort(udp);
        process_ = std::make_unique<ChildProcess>(commandFor(port_), dir_ / logName_, ownGroup_);
        ready_ = WaitFor([&] { return !process_->Running() || answers(port_); },
                         std::chrono::seconds(15)) &&
                 process_->Running();
    }
}

bool LoopbackDaemon::Restart() {
    if (!commandFor_) return false;
    process_.reset();
    process_ = std::make_unique<ChildProcess>(commandFor_(port_), dir_ / logName_, ownGroup_);
    ready_ = WaitFor([&] { return !process_->Running() || answers_(port_); },
                     std::chrono::seconds(15)) &&
             process_->Running();
    return ready_;
}

bool ChronyServer::Available() { return IsExecutable("/usr/sbin/chronyd"); }

ChronyServer::ChronyServer(bool synchronised) : LoopbackDaemon("chronyd.log") {
    Start(
        true,
        [&](uint16_t port) {
            std::string conf = "port " + std::to_string(port) +
                               "\n"
                               "bindaddress 127.0.0.1\n"
                               "allow 127.0.0.1\n"
                               "cmdport 0\n"
                               "bindcmdaddress /\n"
                               "pidfile " +
                               dir_ / "chronyd.pid" + "\n";
            if (synchronised) conf += "local stratum 8\n";
            WriteFile(dir_ / "chrony.conf", conf);
            // -x: never touch this machine's clock; -d: stay in the foreground.
            return std::vector<std::string>{"/usr/sbin/chronyd", "-x", "-d", "-f",
                                            dir_ / "chrony.conf"};
        },
        SntpServerAnswers);
}

bool XinetdTimeServer::Available() { return IsExecutable("/usr/sbin/xinetd"); }

XinetdTimeServer::XinetdTimeServer() : LoopbackDaemon("xinetd.log") {
    Start(
        false,
        [&](uint16_t port) {
            WriteFile(dir_ / "xinetd.conf",
                      "defaults\n{\n}\n"
                      "service time\n{\n"
                      "  type = INTERNAL UNLISTED\n"
                      "  id = time-stream\n"
                      "  socket_type = stream\n"
                      "  protocol = tcp\n"
                      "  wait = no\n"
                      "  user = root\n"
                      "  bind = 127.0.0.1\n"
                      "  port = " +
                          std::to_string(port) + "\n}\n");
            return std::vector<std::string>{"/usr/sbin/xinetd", "-dontfork", "-f",
                                            dir_ / "xinetd.conf", "-pidfile",
                                            dir_ / "xinetd.pid"};
        },
        TcpPortAccepts);
}

// ---- scripted UDP responder ----

UdpResponder::UdpResponder(Reply reply) : reply_(std::move(reply)) {
    fd_ = BindLoopback(SOCK_DGRAM, port_);
    thread_ = std::thread([this] { Serve(); });
}

UdpResponder::~UdpResponder() {
    stop_ = true;
    thread_.join();
    close(fd_);
}

void UdpResponder::Serve() {
    while (!stop_) {
        if (!WaitReadable(fd_, 20)) continue;
        std::vector<uint8_t> request(2048);
        sockaddr_storage from{};
        socklen_t fromLength = sizeof(from);
        ssize_t n = recvfrom(fd_, request.data(), request.size(), MSG_DONTWAIT,
                             reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) continue;
        request.resize(static_cast<size_t>(n));
        ++requests_;
        if (auto answer = reply_(request)) {
            sendto(fd_, answer->data(), answer->size(), 0, reinterpret_cast<sockaddr*>(&from),
                   fromLength);
        }
    }
}

// ---- scripted TCP responder ----

TcpResponder::TcpResponder(std::vector<uint8_t> answer, bool closeAfterSend)
    : answer_(std::move(answer)), closeAfterSend_(closeAfterSend) {
    fd_ = BindLoopback(SOCK_STREAM, port_);
    if (listen(fd_, 8) != 0) throw std::runtime_error("listen failed");
    thread_ = std::thread([this] { Serve(); });
}

TcpResponder::~TcpResponder() {
    stop_ = true;
    thread_.join();
    close(fd_);
}

void TcpResponder::Serve() {
    while (!stop_) {
        if (!WaitReadable(fd_, 20)) continue;
        int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (!answer_.empty()) send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
        if (!closeAfterSend_) {
            // Hold the connection until the client gives up (or the responder stops).
            char byte;
            while (!stop_) {
                if (WaitReadable(client, 20) && recv(client, &byte, 1, 0) <= 0) break;
            }
        }
        close(client);
    }
}

std::vector<uint8_t> TimeProtocolAnswer(int64_t unixSeconds) {
    std::vector<uint8_t> bytes(4);
    PutUint32(bytes, 0, static_cast<uint32_t>(unixSeconds + kNtpEpochOffset));
    return bytes;
}

std::vector<uint8_t> SntpAnswer(const std::vector<uint8_t>& request, int64_t unixSeconds) {
    std::vector<uint8_t> answer(48, 0);
    answer[0] = (0 << 6) | (4 << 3) | 4;  // no leap warning, version 4, server
    answer[1] = 2;                        // stratum
    if (request.size() >= 48) {
        std::copy(request.begin() + 40, request.begin() + 48, answer.begin() + 24);
    }
    const auto ntpSeconds = static_cast<uint32_t>(unixSeconds + kNtpEpochOffset);
    PutUint32(answer, 32, ntpSeconds);  // receive
    PutUint32(answer, 40, ntpSeconds);  // transmit
    return answer;
}

}  // namespace ferrolin::test
