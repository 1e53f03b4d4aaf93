#include "config/profile_file.h"

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <utility>

#include "platform/whole_file.h"

namespace ferrolin {

ProfileFile::ProfileFile(std::string path)
    : path_(std::move(path)),
      ownCache_(std::make_unique<ProfileCache>()),
      cache_(ownCache_.get()) {}

ProfileFile::ProfileFile(std::string path, ProfileCache& cache)
    : path_(std::move(path)), cache_(&cache) {}

ProfileFile::~ProfileFile() = default;

std::shared_ptr<const ProfileDocument> ProfileFile::Current() const {
    if (pending_) {
        // Not owned: the batch keeps the pending document alive.
        return std::shared_ptr<const ProfileDocument>(std::shared_ptr<const ProfileDocument>(),
                                                      pending_.get());
    }
    if (pinned_) return pinned_;
    return cache_->Load(path_, readError_);
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
    auto doc = cache_->Load(path_, readError_);
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
    const int64_t startNs = ProfileCache::NowNs();
    platform::FileStamp stamp;
    // Every INI the program writes may hold passwords.
    int32_t rc = platform::ReplaceWholeFile(path_, doc.Text(), &stamp, platform::FileAccess::Private);
    if (rc != 0) throw ProfileWriteError(path_, rc);
    auto saved = std::make_shared<const ProfileDocument>(std::move(doc));
    cache_->Remember(path_, stamp, saved, startNs);
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

void ProfileFile::RenameSection(std::string_view from, std::string_view to) {
    Modify([&](ProfileDocument& doc) { doc.RenameSection(from, to); });
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
