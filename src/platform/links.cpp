#include "platform/links.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_handle.h"

namespace ferrolin::platform {

bool CreateSymbolicLink(const std::string& target, const std::string& linkPath) {
    if (RefuseSharePath(linkPath)) return false;
    // A fresh link beside the final name, renamed over it: an existing link is replaced
    // and the name never points nowhere in between.
    const std::string temporary = linkPath + ".lnktmp" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) return false;
    if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    return true;
}

}  // namespace ferrolin::platform
