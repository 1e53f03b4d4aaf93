#include "platform/text_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/errors.h"
#include "platform/path.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

namespace {

void AddLine(std::string& pending, std::vector<std::string>& lines) {
    if (!pending.empty() && pending.back() == '\r') pending.pop_back();
    lines.push_back(std::move(pending));
    pending.clear();
}

}  // namespace

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                   int32_t* errorCode) {
    const auto fail = [errorCode](int32_t code) {
        if (errorCode != nullptr) *errorCode = code;
        return false;
    };
    if (errorCode != nullptr) *errorCode = 0;
    if (IsSharePath(path)) return fail(ERROR_SHARE_UNREACHABLE);
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return fail(errno);
    std::string pending;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return fail(errno);  // a partly read last line is left out
        }
        if (got == 0) break;
        for (ssize_t k = 0; k < got; ++k) {
            if (buffer[k] == '\n') {
                AddLine(pending, lines);
            } else {
                pending.push_back(buffer[k]);
            }
        }
    }
    if (!pending.empty()) AddLine(pending, lines);
    return true;
}

bool WriteTextLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    if (IsSharePath(path)) return false;
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    const std::string temp = path + ".tmp";
    UniqueFd fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) return false;
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t put = write(fd.get(), text.data() + written, text.size() - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            unlink(temp.c_str());
            return false;
        }
        written += static_cast<size_t>(put);
    }
    const bool synced = fsync(fd.get()) == 0;
    if (::close(fd.release()) != 0 || !synced || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace ferrolin::platform
