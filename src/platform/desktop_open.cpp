#include "platform/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace ferrolin::platform {

bool OpenWithDesktopViewer(const std::string& path) {
    // A short-lived shell checks for the opener and leaves it running in the background;
    // waiting for the shell alone means no child is left unreaped and the viewer is not
    // tied to this process.
    const std::string script = std::string("command -v ") + kDesktopOpener +
                               " >/dev/null 2>&1 || exit 127; " + kDesktopOpener +
                               " \"$1\" >/dev/null 2>&1 </dev/null & exit 0";
    std::string arg0 = "sh", arg1 = "-c", arg3 = "sh";
    std::string target = path;
    char* argv[] = {arg0.data(), arg1.data(), const_cast<char*>(script.c_str()), arg3.data(),
                    target.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace ferrolin::platform
