#pragma once
// A profile (INI) file on disk, read and written by section and key.
//
// Every read sees the file as it is now: the parsed text is kept in a process-wide cache
// and parsed again whenever the file's stamp (inode, size, modification time) changed,
// or was taken too recently to tell, so reading a thousand jobs does not read the file
// thirty thousand times, yet a change made by another object, process or editor is seen
// at the next read (outside a Snapshot).
//
// Every write changes exactly the keys named and keeps every other line. The new text
// goes to a temporary file that is renamed over the old one, so the file is never seen
// half-written. Several writes can be gathered into one replacement with Batch.
//
// One ProfileFile object belongs to one thread at a time; different objects (also on
// the same file) may be used from different threads.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_cache.h"
#include "config/profile_document.h"
#include "config/profile_write_error.h"

namespace ferrolin {

class ProfileFile {
  public:
    // Reads the file each time it is opened this way (nothing is kept between objects).
    explicit ProfileFile(std::string path);
    // Shares parsed versions with every other ProfileFile over the same cache.
    ProfileFile(std::string path, ProfileCache& cache);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const std::string& Path() const { return path_; }

    // Reads return the default when the file, the section or the key is missing, and
    // when the file cannot be read at all (see ReadError).
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "$" or "0x"; the default when absent or not a number.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // An integer, non-zero meaning true; the default when absent or not a number.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // The index of a choice among itemCount items: an integer as above; a stored index
    // past the last item reads as the last item, a negative one as the default.
    uint8_t ReadChoice(std::string_view section, std::string_view key, uint8_t defaultValue,
                       uint8_t itemCount) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> ReadSectionNames() const;
    std::vector<std::string> ReadKeyNames(std::string_view section) const;

    // The errno of the last read that found the file but could not read it (a folder in
    // its place, no permission); 0 when the file was read or does not exist.
    int32_t ReadError() const { return readError_; }

    // Writes throw ProfileWriteError when the file system refuses.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void EraseSection(std::string_view section);
    void EraseKey(std::string_view section, std::string_view key);
    // See ProfileDocument::RenameSection (std::invalid_argument when the new name is taken).
    void RenameSection(std::string_view from, std::string_view to);

    // Gathers the writes made through this object while it lives; reads through the
    // same object see them at once. Commit() replaces the file once (and may throw
    // ProfileWriteError); a batch destroyed without Commit() discards its writes.
    class Batch {
      public:
        explicit Batch(ProfileFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        void Commit();

      private:
        ProfileFile& file_;
        bool outermost_;
    };

    // Reads through this object see the file as it was when the snapshot was taken, for
    // one operation that reads many keys (a whole configuration, one job): the file is
    // examined once instead of once per key. Writes through this object are seen.
    class Snapshot {
      public:
        explicit Snapshot(const ProfileFile& file);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

      private:
        const ProfileFile& file_;
        bool outermost_;
    };

  private:
    std::shared_ptr<const ProfileDocument> Current() const;
    // Applies one change to the pending document, or to a copy that is saved at once.
    template <typename Change>
    void Modify(Change&& change);
    // The document to change: the file as it is now. A file that exists but cannot be
    // read is not overwritten (that would lose its other lines): ProfileWriteError.
    std::shared_ptr<const ProfileDocument> CurrentForWrite() const;
    void Save(ProfileDocument doc);

    std::string path_;
    mutable int32_t readError_ = 0;
    std::unique_ptr<ProfileDocument> pending_;               // set while a batch is open
    mutable std::shared_ptr<const ProfileDocument> pinned_;  // set while a snapshot lives
    std::unique_ptr<ProfileCache> ownCache_;                 // only when no shared cache was given
    ProfileCache* cache_;
};

}  // namespace ferrolin
