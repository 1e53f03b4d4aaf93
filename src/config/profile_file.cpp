#include "config/profile_file.h"

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <utility>

#include "platform/whole_file.h"

namespace ferrolin {

namespace {

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Parsed files by path, each with the stamp of the version it was parsed from. Shared
// by every ProfileFile of the process, so a write through one object is what the next
// read through another sees without parsing again.
class DocumentCache {
public:
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

DocumentCache& Cache() {
    static DocumentCache cache;
    return cache;
}

}  // namespace

ProfileWriteError::ProfileWriteError(const std::string& path, int32_t error)
    : std::runtime_error("Unable to write to " + path), path_(path), error_(error) {}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

ProfileFile::~ProfileFile() = default;

std::shared_ptr<const ProfileDocument> ProfileFile::Current() const {
    if (pending_) {
        // Not owned: the batch keeps the pending document alive.
        return std::shared_ptr<const ProfileDocument>(std::shared_ptr<const ProfileDocument>(),
                                                      pending_.get());
    }
    if (pinned_) return pinned_;
    return Cache().Load(path_, readError_);
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    auto doc = Current();
    auto value = doc->Find(section, key);
    return std::string(value ? *value : defaultValue);
}

int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const {
    auto doc = Current();
    auto value = doc->Find(section, key);
    if (!value) return defaultValue;
    return ParseProfileInteger(*value).value_or(defaultValue);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

uint8_t ProfileFile::ReadChoice(std::string_view section, std::string_view key,
                                uint8_t defaultValue, uint8_t itemCount) const {
    int32_t value = ReadInteger(section, key, defaultValue);
    if (value < 0) return defaultValue;
    if (itemCount > 0 && value >= itemCount) return static_cast<uint8_t>(itemCount - 1);
    return static_cast<uint8_t>(value);
}

bool ProfileFile::SectionExists(std::string_view section) const {
    return Current()->HasSection(section);
}

bool ProfileFile::ValueExists(std::string_view section, std::string_view key) const {
    return Current()->Find(section, key).has_value();
}

std::vector<std::string> ProfileFile::ReadSectionNames() const {
    return Current()->SectionNames();
}

std::vector<std::string> ProfileFile::ReadKeyNames(std::string_view section) const {
    return Current()->KeyNames(section);
}

std::shared_ptr<const ProfileDocument> ProfileFile::CurrentForWrite() const {
    if (pending_) return Current();
    // Never a snapshot's older view: a write starts from the file as it is now.
    auto doc = Cache().Load(path_, readError_);
    if (readError_ != 0) throw ProfileWriteError(path_, readError_);
    return doc;
}

template <typename Change>
void ProfileFile::Modify(Change&& change) {
    if (pending_) {
        change(*pending_);
        return;
    }
    ProfileDocument doc = *CurrentForWrite();
    change(doc);
    Save(std::move(doc));
}

void ProfileFile::Save(ProfileDocument doc) {
    const int64_t startNs = NowNs();
    platform::FileStamp stamp;
    int32_t rc = platform::ReplaceWholeFile(path_, doc.Text(), &stamp);
    if (rc != 0) throw ProfileWriteError(path_, rc);
    auto saved = std::make_shared<const ProfileDocument>(std::move(doc));
    Cache().Remember(path_, stamp, saved, startNs);
    if (pinned_) pinned_ = std::move(saved);
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    Modify([&](ProfileDocument& doc) { doc.Set(section, key, value); });
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void ProfileFile::EraseSection(std::string_view section) {
    Modify([&](ProfileDocument& doc) { doc.EraseSection(section); });
}

void ProfileFile::EraseKey(std::string_view section, std::string_view key) {
    Modify([&](ProfileDocument& doc) { doc.EraseKey(section, key); });
}

ProfileFile::Batch::Batch(ProfileFile& file) : file_(file), outermost_(!file.pending_) {
    if (outermost_) file_.pending_ = std::make_unique<ProfileDocument>(*file_.CurrentForWrite());
}

ProfileFile::Batch::~Batch() {
    if (outermost_) file_.pending_.reset();
}

void ProfileFile::Batch::Commit() {
    if (!outermost_ || !file_.pending_) return;
    // The pending document is gone whether or not the save succeeds: a refused write
    // leaves the file as it was and the batch spent.
    std::unique_ptr<ProfileDocument> doc = std::move(file_.pending_);
    file_.Save(std::move(*doc));
}

ProfileFile::Snapshot::Snapshot(const ProfileFile& file)
    : file_(file), outermost_(!file.pinned_ && !file.pending_) {
    // Inside a batch the pending document already is the view; nothing to pin.
    if (outermost_) file_.pinned_ = file_.Current();
}

ProfileFile::Snapshot::~Snapshot() {
    if (outermost_) file_.pinned_.reset();
}

}  // namespace ferrolin
