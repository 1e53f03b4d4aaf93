#include "protocols/fd_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ferrolin {

int WriteAllToFd(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? errno : ENOSPC;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

bool WriteAllToFd(int fd, const char* data, size_t size, std::string& error) {
    const int failure = WriteAllToFd(fd, data, size);
    if (failure == 0) return true;
    error = std::string("Writing failed: ") + std::strerror(failure);
    return false;
}

}  // namespace ferrolin
