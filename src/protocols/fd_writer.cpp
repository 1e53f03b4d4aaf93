#include "protocols/fd_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ferrolin {

bool WriteAllToFd(int fd, const char* data, size_t size, std::string& error) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            error = std::string("Writing failed: ") + std::strerror(errno);
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace ferrolin
