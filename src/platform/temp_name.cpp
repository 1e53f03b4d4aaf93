#include "platform/temp_name.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin::platform {

namespace {

constexpr std::string_view kTempSuffix = ".tmp";

uint32_t NameHash(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

size_t NameStart(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? 0 : slash + 1;
}

// Tries the candidates in turn: create(path) answers 0 once the file is made, EEXIST to
// go on with the next candidate, any other errno to give up.
bool CreateFirstFree(const std::string& dest, const NameTaken& taken,
                     const std::function<int(const std::string&)>& create, std::string& path) {
    int error = EEXIST;
    for (unsigned attempt = 0; attempt < kTempNameAttempts && error == EEXIST; ++attempt) {
        std::string candidate = TempPathFor(dest, attempt);
        if (taken && taken(std::string_view(candidate).substr(NameStart(candidate)))) continue;
        error = create(candidate);
        if (error == 0) {
            path = std::move(candidate);
            return true;
        }
    }
    errno = error;
    return false;
}

}  // namespace

std::string TempPathFor(const std::string& dest, unsigned attempt) {
    const size_t nameStart = NameStart(dest);
    const std::string name = dest.substr(nameStart);
    std::string tail = attempt == 0 ? std::string() : "~" + std::to_string(attempt + 1);
    tail += kTempSuffix;
    if (name.size() + tail.size() <= kMaxFileNameBytes) return dest + tail;
    // Cut at a character boundary (never inside a UTF-8 sequence), then tell files with
    // the same beginning apart by a hash of the whole name.
    char hash[16];
    std::snprintf(hash, sizeof hash, "~%08x", NameHash(name));
    tail.insert(0, hash);
    size_t keep = kMaxFileNameBytes - tail.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return dest.substr(0, nameStart) + name.substr(0, keep) + tail;
}

std::string FreeTempPathFor(const std::string& dest, const NameTaken& taken) {
    for (unsigned attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        std::string candidate = TempPathFor(dest, attempt);
        if (!taken || !taken(std::string_view(candidate).substr(NameStart(candidate))))
            return candidate;
    }
    return {};
}

UniqueFd CreateLocalTempFor(const std::string& dest, const NameTaken& taken, std::string& path) {
    UniqueFd fd;
    CreateFirstFree(
        dest, taken,
        [&](const std::string& candidate) {
            fd.reset(::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0666));
            return fd ? 0 : errno;
        },
        path);
    return fd;
}

FsFilePtr CreateTempTargetFor(FileSystem& fs, const std::string& dest, bool direct,
                              std::string& path, const NameTaken& taken) {
    FsFilePtr file;
    CreateFirstFree(
        dest, taken,
        [&](const std::string& candidate) {
            file = fs.CreateTarget(candidate, true, direct);
            return file ? 0 : LastError();
        },
        path);
    return file;
}

}  // namespace ferrolin::platform
