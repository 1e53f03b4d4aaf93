#pragma once
// The benchmarks' own servers on loopback: a free port to start one on, the server program
// started quietly and stopped with its children, and the wait until it accepts connections.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ferrolin::bench {

// A TCP port on 127.0.0.1 that was free a moment ago; 0 when none could be had.
inline uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(fd);
    return ok ? ntohs(address.sin_port) : 0;
}

// Whether something accepts TCP connections on 127.0.0.1:port.
inline bool Accepts(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

// Waits up to attempts x 20 ms for something to accept connections on port.
inline bool WaitUntilAccepts(uint16_t port, int attempts) {
    for (int i = 0; i < attempts; ++i) {
        if (Accepts(port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Accepts(port);
}

// A server program run in the foreground with its input and output on /dev/null, stopped
// with its whole process group when this object ends. ownGroup puts it in a group of its
// own first; a server that makes its own session must not get one.
class QuietServer {
public:
    QuietServer(const std::vector<std::string>& argv, bool ownGroup) {
        pid_ = fork();
        if (pid_ != 0) return;
        if (ownGroup) setpgid(0, 0);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    ~QuietServer() {
        if (pid_ <= 0) return;
        kill(-pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    QuietServer(const QuietServer&) = delete;
    QuietServer& operator=(const QuietServer&) = delete;

private:
    pid_t pid_ = -1;
};

}  // namespace ferrolin::bench
