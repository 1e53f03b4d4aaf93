#include "platform/socket_cutoff.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <charconv>
#include <cstring>
#include <memory>

namespace ferrolin::platform {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The peer's port of a connected TCP socket; 0 for anything else.
uint16_t PeerPort(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return 0;
    int type = 0;
    socklen_t typeLength = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_STREAM)
        return 0;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return 0;
    if (peer.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
    if (peer.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port);
    return 0;
}

}  // namespace

int CutOffStreamsToPorts(const std::set<uint16_t>& ports) {
    if (ports.empty()) return 0;
    std::unique_ptr<DIR, DirCloser> dir(opendir("/proc/self/fd"));
    if (!dir) return 0;
    const int own = dirfd(dir.get());
    int cut = 0;
    while (const dirent* entry = readdir(dir.get())) {
        int fd = -1;
        const char* end = entry->d_name + std::strlen(entry->d_name);
        if (std::from_chars(entry->d_name, end, fd).ptr != end || fd == own) continue;
        const uint16_t port = PeerPort(fd);
        if (port == 0 || ports.count(port) == 0) continue;
        // Only the receiving side: the library's next read sees the end of the stream and
        // drops the connection itself; a write on a fully shut socket would raise SIGPIPE.
        if (shutdown(fd, SHUT_RD) == 0) ++cut;
    }
    return cut;
}

}  // namespace ferrolin::platform
