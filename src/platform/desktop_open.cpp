#include "platform/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/program_runner.h"

extern char** environ;

namespace ferrolin::platform {

namespace {

constexpr auto kQueryTimeout = std::chrono::seconds(5);

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// The folders desktop entries live in, most personal first.
std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome != '\0') {
        folders.push_back(std::string(dataHome) + "/applications");
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(std::string(home) + "/.local/share/applications");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string dirs =
        dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    size_t begin = 0;
    while (begin <= dirs.size()) {
        size_t colon = dirs.find(':', begin);
        if (colon == std::string::npos) colon = dirs.size();
        if (colon > begin) folders.push_back(dirs.substr(begin, colon - begin) + "/applications");
        begin = colon + 1;
    }
    return folders;
}

// Whether the entry's main section says Terminal=true; nothing when the entry is not found.
std::optional<bool> RunsInTerminal(const std::string& entry) {
    for (const std::string& folder : ApplicationFolders()) {
        std::ifstream file(folder + "/" + entry);
        if (!file) continue;
        bool mainSection = false;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line.front() == '[') mainSection = line == "[Desktop Entry]";
            if (mainSection && line.rfind("Terminal=", 0) == 0) return line.substr(9) == "true";
        }
        return false;
    }
    return std::nullopt;
}

}  // namespace

std::string WindowedViewerFor(const std::string& path) {
    const std::optional<std::string> type =
        ProgramOutput({"xdg-mime", "query", "filetype", path}, kQueryTimeout);
    if (!type || FirstLine(*type).empty()) return {};
    const std::optional<std::string> entry =
        ProgramOutput({"xdg-mime", "query", "default", FirstLine(*type)}, kQueryTimeout);
    if (!entry) return {};
    const std::string name = FirstLine(*entry);
    if (name.empty() || name.find('/') != std::string::npos) return {};
    const std::optional<bool> terminal = RunsInTerminal(name);
    if (!terminal || *terminal) return {};
    return name;
}

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
