#pragma once
// Parsed INI files by path, each with the stamp of the version it was parsed from. A
// station keeps one and hands it to every ProfileFile it opens, so a write through one
// object is what the next read through another sees without parsing again. Thread-safe.
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "config/profile_document.h"
#include "platform/whole_file.h"

namespace ferrolin {

class ProfileCache {
public:
    ProfileCache() = default;
    ProfileCache(const ProfileCache&) = delete;
    ProfileCache& operator=(const ProfileCache&) = delete;

    // Now in nanoseconds of the system clock, the time base of the recorded versions.
    static int64_t NowNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    // The document for path as the file is now; error gets the errno of a file that
    // exists but cannot be read (the document is then empty).
    std::shared_ptr<const ProfileDocument> Load(const std::string& path, int32_t& error) {
        error = 0;
        platform::FileStamp now;
        if (platform::GetFileStamp(path, now)) {
            std::lock_guard lock(mutex_);
            auto it = entries_.find(path);
            if (it != entries_.end() && it->second.stamp == now && !it->second.Racy()) {
                return it->second.doc;
            }
        }
        // What is read is known to be current as of the moment the read began.
        const int64_t startNs = NowNs();
        std::string content;
        platform::FileStamp stamp;
        int32_t rc = platform::ReadWholeFile(path, content, &stamp);
        if (rc != 0) {
            Forget(path);
            if (rc != ENOENT && rc != ENOTDIR) error = rc;
            return Empty();
        }
        auto doc = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(content));
        Remember(path, stamp, doc, startNs);
        return doc;
    }

    void Remember(const std::string& path, const platform::FileStamp& stamp,
                  std::shared_ptr<const ProfileDocument> doc, int64_t knownSinceNs) {
        std::lock_guard lock(mutex_);
        // A handful of files are in use at a time; tests make many short-lived ones.
        if (entries_.size() >= kMaxEntries && entries_.count(path) == 0) entries_.clear();
        entries_[path] = Entry{stamp, std::move(doc), knownSinceNs};
    }

    void Forget(const std::string& path) {
        std::lock_guard lock(mutex_);
        entries_.erase(path);
    }

private:
    static std::shared_ptr<const ProfileDocument> Empty() {
        static const auto empty = std::make_shared<const ProfileDocument>();
        return empty;
    }

    struct Entry {
        platform::FileStamp stamp;
        std::shared_ptr<const ProfileDocument> doc;
        int64_t recordedNs;  // when this version was known to be the file's content
        // File times are coarse (a clock tick, a whole second on some file systems), so
        // a change made in the same tick as the version we hold would keep its stamp.
        // While the file's time is that close to when we took our copy, the stamp
        // proves nothing and the file is read again.
        bool Racy() const {
            const bool wholeSeconds = stamp.modifiedNs % 1000000000 == 0;
            const int64_t margin = wholeSeconds ? 2100000000 : 100000000;
            return stamp.modifiedNs >= recordedNs - margin;
        }
    };
    static constexpr size_t kMaxEntries = 32;
    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
};

}  // namespace ferrolin
