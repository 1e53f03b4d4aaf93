#include "common/log.h"

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <optional>

#include "common/clock.h"
#include "common/datetime_format.h"
#include "common/password_free.h"
#include "platform/file_lock.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// How long a writer waits for another process that is appending or rotating. Each holder
// keeps the lock for one short write, so this is generous; it only bounds a hung holder.
constexpr std::chrono::milliseconds kLockWait{500};

std::optional<platform::LockedFile> OpenLog(const std::string& fileName) {
    return platform::LockedFile::Open(fileName, O_RDWR | O_CREAT | O_APPEND, kLockWait);
}

}  // namespace

std::string PreviousGenerationName(const std::string& fileName) {
    const size_t slash = fileName.rfind(platform::kPathSeparator);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find('.', nameStart);
    std::string result = fileName;
    result.insert(dot == std::string::npos ? result.size() : dot, "old");
    return result;
}

std::string EscapeLogLine(std::string_view line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto escape = [](std::string& out, unsigned char c) {
        out += '$';
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
    };
    std::string out;
    out.reserve(line.size() + 8);
    const size_t protectedFrom = line.size() >= 2 ? line.size() - 2 : 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == '\n' || c == '\r') {
            // The line end itself stays.
            if (i < protectedFrom) {
                escape(out, c);
            } else {
                out += static_cast<char>(c);
            }
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            // Escape and the other control characters: names from a server must not
            // drive the terminal of whoever reads the log.
            escape(out, c);
        } else if (c == 0xC2 && i + 1 < line.size() &&
                   static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(line[i + 1]) <= 0x9F) {
            // The same controls in their 8-bit form (U+0080..U+009F).
            escape(out, c);
            escape(out, static_cast<unsigned char>(line[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    if (out.empty() || out.back() != '\n') out += "\r\n";
    return out;
}

namespace {

// The file open for appending under its lock, rotated first when it has grown past maxSize.
std::optional<platform::LockedFile> OpenForAppend(const std::string& fileName, uint32_t maxSize) {
    if (fileName.empty()) return std::nullopt;
    std::optional<platform::LockedFile> log = OpenLog(fileName);
    if (!log) return std::nullopt;

    if (maxSize != 0 && log->Size() > static_cast<int64_t>(maxSize)) {
        // Rotate while still holding the lock on the full file: writers waiting for it
        // notice the rename and move on to the new file. The rename replaces an older
        // generation in one step; if it fails the line goes to the end of the full file.
        if (platform::MoveFile(fileName, PreviousGenerationName(fileName), true) == 0)
            return OpenLog(fileName);
    }
    return log;
}

}  // namespace

bool AppendToLogFile(const std::string& fileName, std::string_view line, uint32_t maxSize) {
    std::optional<platform::LockedFile> log = OpenForAppend(fileName, maxSize);
    if (!log) return false;
    if (!line.empty()) {
        const std::string bytes = EscapeLogLine(line);
        platform::WriteAll(log->fd(), bytes.data(), bytes.size());  // a failed write is ignored
    }
    return true;
}

bool AppendRecordLine(const std::string& fileName, std::string_view line, uint32_t maxSize) {
    std::optional<platform::LockedFile> file = OpenForAppend(fileName, maxSize);
    if (!file) return false;
    std::string bytes;
    // A line cut off by an earlier writer (killed, disk full) is ended first, so it spoils
    // only itself and not the record that follows it.
    const int last = file->LastByte();
    if (last >= 0 && last != '\n') bytes += '\n';
    bytes += line;
    bytes += '\n';
    return platform::WriteAll(file->fd(), bytes.data(), bytes.size()) == 0;
}

bool WriteLog(uint8_t code, const std::string& fileName, std::string_view text, uint32_t maxSize) {
    return WriteLog(SystemClock(), code, fileName, text, maxSize);
}

bool WriteLog(const Clock& clock, uint8_t code, const std::string& fileName, std::string_view text,
              uint32_t maxSize) {
    if (fileName.empty()) return false;
    if (text.empty()) return AppendToLogFile(fileName, {}, maxSize);
    const TDateTime now = clock.Now();
    char codeText[8];
    std::snprintf(codeText, sizeof codeText, "%03u", static_cast<unsigned>(code));
    std::string line = DateToStr(now);
    line += ' ';
    line += FormatDateTime("hh:mm:ss", now);
    line += ' ';
    line += codeText;
    line += ' ';
    line += WithoutPasswords(text);
    return AppendToLogFile(fileName, line, maxSize);
}

}  // namespace ferrolin
