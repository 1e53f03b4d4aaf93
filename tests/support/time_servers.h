#pragma once
// Time servers for tests, all on free loopback ports: a real NTP server (chronyd that
// never touches this machine's clock), a real RFC 868 service (xinetd's built-in
// time-stream), and tiny scripted responders that answer with whatever a test wants
// (wrong modes, short replies, a fixed time).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

// A loopback port that was free a moment ago (bind to port 0, read it, close).
uint16_t FreeLoopbackPort(bool udp);

// True when something accepts TCP connections on 127.0.0.1:port.
bool TcpPortAccepts(uint16_t port);

// A server program on a free loopback port, started again on another port when the one
// it was given was taken in between. Log() is what the program wrote.
class LoopbackDaemon {
public:
    // True once the server answered (false: it failed to start; see Log()).
    bool Ready() const { return ready_; }
    uint16_t Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Log() const;
    // Stops the server (its connections end with it); Restart() brings it back.
    void Stop();
    // Kills the processes the server started for its connections (not the server itself):
    // each client's session ends abruptly while the server keeps listening.
    void KillSessions();

protected:
    explicit LoopbackDaemon(std::string logName) : logName_(std::move(logName)) {}
    ~LoopbackDaemon();
    // commandFor writes the configuration for a port and returns the command line;
    // answers tells whether the server on that port serves yet.
    void Start(bool udp, const std::function<std::vector<std::string>(uint16_t)>& commandFor,
               const std::function<bool(uint16_t)>& answers);
    // Starts the server again on the port it had (after it was stopped or killed); true
    // once it answers.
    bool Restart();

    TempDir dir_;
    // False for a server that makes its own session (see ChildProcess).
    bool ownGroup_ = true;
    // The server's process id (a process group leader), -1 when none runs.
    pid_t ProcessId() const { return process_ ? process_->pid() : -1; }

private:
    const std::string logName_;
    uint16_t port_ = 0;
    std::function<std::vector<std::string>(uint16_t)> commandFor_;
    std::function<bool(uint16_t)> answers_;
    std::unique_ptr<ChildProcess> process_;
    bool ready_ = false;
};

// chronyd -x -d on 127.0.0.1:port. With synchronised = false it has no reference clock
// and answers "not synchronised" (stratum 0).
class ChronyServer : public LoopbackDaemon {
public:
    static bool Available();
    explicit ChronyServer(bool synchronised = true);
};

// xinetd with its internal RFC 868 "time" stream service on 127.0.0.1:port.
class XinetdTimeServer : public LoopbackDaemon {
public:
    static bool Available();
    XinetdTimeServer();
};

// A UDP responder on 127.0.0.1: every datagram it receives is passed to reply, whose
// answer (if any) is sent back to the sender. Runs on its own thread until destroyed.
class UdpResponder {
public:
    using Reply = std::function<std::optional<std::vector<uint8_t>>(
        const std::vector<uint8_t>& request)>;
    explicit UdpResponder(Reply reply);
    ~UdpResponder();
    uint16_t Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    int Requests() const { return requests_; }

private:
    void Serve();
    int fd_ = -1;
    uint16_t port_ = 0;
    Reply reply_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// A TCP responder on 127.0.0.1: sends the given bytes to every connection, then closes it
// (or keeps it open until the client leaves, with closeAfterSend = false).
class TcpResponder {
public:
    explicit TcpResponder(std::vector<uint8_t> answer, bool closeAfterSend = true);
    ~TcpResponder();
    uint16_t Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void Serve();
    int fd_ = -1;
    uint16_t port_ = 0;
    std::vector<uint8_t> answer_;
    bool closeAfterSend_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Four bytes of RFC 868 time (seconds since 1900) for a Unix time.
std::vector<uint8_t> TimeProtocolAnswer(int64_t unixSeconds);

// A well-formed SNTP server answer to request (mode 4, stratum 2, originate copied from
// the request) carrying unixSeconds as receive and transmit time. Tests spoil single
// bytes of it to make malformed answers.
std::vector<uint8_t> SntpAnswer(const std::vector<uint8_t>& request, int64_t unixSeconds);

}  // namespace ferrolin::test
