#include "files/media_metadata.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/log.h"
#include "common/text.h"
#include "config/profile_document.h"
#include "files/fs_helpers.h"
#include "platform/errors.h"
#include "platform/file_handle.h"
#include "platform/file_times.h"
#include "platform/local_file_system.h"
#include "platform/path.h"

namespace ferrolin {
namespace {

constexpr int64_t kMagicFromEnd = 10;  // magic (6) + trailer length (4)
constexpr size_t kMagicSize = 6;
constexpr int64_t kZeroBlock = 65536;
constexpr unsigned char kProgramEnd[4] = {0x00, 0x00, 0x01, 0xB9};
constexpr unsigned char kSequenceEnd[4] = {0x00, 0x00, 0x01, 0xB7};

// Reading errors go to the metadata log; an empty log path keeps them quiet.
void LogError(const std::string& logPath, const std::string& context, const std::string& path,
              int32_t code) {
    if (logPath.empty()) return;
    WriteLog(0, logPath, "Error: " + context + " " + path + " " + SysErrorText(code));
}

uint32_t LittleEndian32(const unsigned char* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void Append32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Reads exactly size bytes at position; false (errno set) when they did not all arrive.
bool ReadAt(platform::FsFile& file, int64_t position, void* buffer, size_t size) {
    const int64_t n = file.ReadFullAt(position, buffer, size);
    if (n < 0) return false;
    if (n != static_cast<int64_t>(size)) {
        errno = EIO;
        return false;
    }
    return true;
}

// The trailer length L from the last ten bytes of a file of size bytes; nullopt when the
// file has no trailer or its length cannot be true (every length is bounded by the file
// size, and no trailer is shorter than its magic, length and one block id).
std::optional<int64_t> TrailerLengthFromTail(const unsigned char* tail, int64_t size) {
    if (std::memcmp(tail, kMetadataMagic, kMagicSize) != 0) return std::nullopt;
    const int64_t length = LittleEndian32(tail + kMagicSize);
    if (length < kSmallestTrailer || length > size) return std::nullopt;
    return length;
}

// Reads the trailer length L behind the magic; nullopt as above or when it cannot be read.
std::optional<int64_t> TrailerLength(platform::FsFile& file, int64_t size) {
    unsigned char tail[kMagicFromEnd];
    if (size <= kMagicFromEnd || !ReadAt(file, size - kMagicFromEnd, tail, sizeof tail)) {
        return std::nullopt;
    }
    return TrailerLengthFromTail(tail, size);
}

// Cuts trailing whole 64 KiB blocks of zeros (aligned to the end of the file) and the
// zeros before them in the last block read; returns the bytes removed from the end.
int64_t TrailingZeroBytes(platform::FsFile& file, int64_t size) {
    std::string block(static_cast<size_t>(kZeroBlock), '\0');
    int64_t position = size;
    int zeroBlocks = 0;
    int64_t newEnd = size;
    while (position > kZeroBlock) {
        position -= kZeroBlock;
        if (!ReadAt(file, position, block.data(), block.size())) break;
        const size_t lastNonZero = block.find_last_not_of('\0');
        if (lastNonZero == std::string::npos) {
            ++zeroBlocks;
            newEnd = position;
            continue;
        }
        if (zeroBlocks > 0) newEnd = position + static_cast<int64_t>(lastNonZero) + 1;
        break;
    }
    return zeroBlocks > 0 ? size - newEnd : 0;
}

std::string BuildTrailer(const std::string& path, const MediaMetadata& meta) {
    const std::string ext = AsciiLower(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    const unsigned char* endCode = (ext == ".mpv" || ext == ".m2v") ? kSequenceEnd : kProgramEnd;
    std::string blocks;
    Append32(blocks, kParameterBlockId);
    Append32(blocks, static_cast<uint32_t>(meta.Parameters->size()));
    blocks += *meta.Parameters;
    for (size_t slot = 0; slot < meta.Pictures.size(); ++slot) {
        if (!meta.Pictures[slot]) continue;
        const std::string image = EncodeBmp(*meta.Pictures[slot]);
        Append32(blocks, kPictureBlockId + static_cast<uint32_t>(slot));
        Append32(blocks, static_cast<uint32_t>(image.size()));
        blocks += image;
    }
    std::string trailer(reinterpret_cast<const char*>(endCode), 4);
    trailer += blocks;
    trailer.append(kMetadataMagic, kMagicSize);
    Append32(trailer, static_cast<uint32_t>(trailer.size() + 4));
    return trailer;
}

// Reads the trailer's blocks between start and end (the magic), keeping what arrived whole.
class TrailerBlocks {
  public:
    TrailerBlocks(platform::FsFile& file, const std::string& path, int64_t start, int64_t end,
                  const std::string& logPath)
        : file_(file), path_(path), start_(start), end_(end), position_(start), logPath_(logPath) {}

    void ReadInto(MediaMetadata& meta, int64_t trailerLength) {
        int unknownIds = 0;
        while (position_ + 4 <= end_) {
            unsigned char id[4];
            if (!ReadAt(file_, position_, id, 4)) {
                LogError(logPath_, "ReadFile P6", path_, platform::LastError());
                return;
            }
            position_ += 4;
            if (std::memcmp(id, kProgramEnd, 4) == 0 || std::memcmp(id, kSequenceEnd, 4) == 0)
                continue;
            if (std::memcmp(id, "[Par", 4) == 0 || std::memcmp(id, "[par", 4) == 0) {
                ReadOlderForm(meta, trailerLength);
                return;
            }
            const uint32_t value = LittleEndian32(id);
            if (value == kParameterBlockId || IsPictureBlock(value)) {
                if (!ReadBlock(meta, value)) return;
            } else if (++unknownIds >= 2) {
                return;
            }
        }
    }

  private:
    static bool IsPictureBlock(uint32_t id) {
        return id >= kPictureBlockId && id < kPictureBlockId + 8;
    }

    // The older form: the whole region up to the magic is the parameter text.
    void ReadOlderForm(MediaMetadata& meta, int64_t trailerLength) {
        std::string text(static_cast<size_t>(trailerLength - kMagicFromEnd), '\0');
        if (ReadAt(file_, start_, text.data(), text.size())) {
            meta.Parameters = std::move(text);
        } else {
            LogError(logPath_, "ReadFile P10", path_, platform::LastError());
        }
    }

    // The block after the id just read: a parameter text or a picture. False when its
    // length could not be read (nothing after it can be found).
    bool ReadBlock(MediaMetadata& meta, uint32_t id) {
        const bool parameters = id == kParameterBlockId;
        int64_t length = 0;
        if (!ReadLength(parameters ? "ReadFile P7" : "ReadFile P11", length)) return false;
        std::string data;
        if (!ReadData(parameters ? "ReadFile P8" : "ReadFile P12", length, data)) return true;
        if (parameters) {
            meta.Parameters = std::move(data);
        } else {
            meta.Pictures[id - kPictureBlockId] = DecodeBmp(data);
        }
        return true;
    }

    bool ReadLength(const char* context, int64_t& length) {
        unsigned char b[4];
        if (position_ + 4 > end_ || !ReadAt(file_, position_, b, 4)) {
            LogError(logPath_, context, path_, platform::LastError());
            return false;
        }
        position_ += 4;
        length = LittleEndian32(b);
        return true;
    }

    // A block's data, bounded by the trailer: a length beyond it never arrives whole and
    // is never allocated.
    bool ReadData(const char* context, int64_t length, std::string& data) {
        if (length > end_ - position_) {
            errno = EIO;
            LogError(logPath_, context, path_, platform::LastError());
            position_ = end_;
            return false;
        }
        data.assign(static_cast<size_t>(length), '\0');
        if (!ReadAt(file_, position_, data.data(), data.size())) {
            LogError(logPath_, context, path_, platform::LastError());
            position_ = end_;
            return false;
        }
        position_ += length;
        return true;
    }

    platform::FsFile& file_;
    const std::string& path_;
    const int64_t start_;
    const int64_t end_;
    int64_t position_;
    const std::string& logPath_;
};

}  // namespace

void MediaMetadata::Clear() {
    MediaLength = 0;
    Parameters.reset();
    for (auto& p : Pictures) p.reset();
}

std::optional<std::string> MediaMetadata::Parameter(const std::string& section,
                                                    const std::string& key) const {
    if (!Parameters) return std::nullopt;
    const ProfileDocument doc = ProfileDocument::Parse(*Parameters);
    auto value = doc.Find(section, key);
    if (!value) return std::nullopt;
    return std::string(*value);
}

int ReadMetadata(platform::FileSystem& Fs, const std::string& Path, MediaMetadata& Meta,
                 const std::string& LogPath) {
    Meta.Clear();
    platform::FsFilePtr file = Fs.OpenRead(Path, false);
    if (!file) return mrUnreadable;
    if (file->LocalFd() >= 0 && IsRemotePath(Path)) {
        // Bytes of a file on another computer must come from there, not from our cache.
        ::posix_fadvise(file->LocalFd(), 0, 0, POSIX_FADV_DONTNEED);
    }
    auto info = file->Info();
    if (!info) return mrUnreadable;
    const int64_t size = info->Size;
    if (size <= kMagicFromEnd) return mrUnreadable;

    unsigned char tail[kMagicFromEnd];
    if (!ReadAt(*file, size - kMagicFromEnd, tail, sizeof tail)) {
        LogError(LogPath, "SetFilePointer,Read P2", Path, platform::LastError());
        return mrNoTrailer;
    }
    auto length = TrailerLengthFromTail(tail, size);
    if (!length) return mrNoTrailer;
    Meta.MediaLength = size - *length;
    TrailerBlocks(*file, Path, Meta.MediaLength, size - kMagicFromEnd, LogPath)
        .ReadInto(Meta, *length);
    return mrTrailer;
}

int ReadMetadata(const std::string& Path, MediaMetadata& Meta, const std::string& LogPath) {
    platform::LocalFileSystem local;
    return ReadMetadata(local, Path, Meta, LogPath);
}

bool WriteMetadata(platform::FileSystem& Fs, const std::string& Path, const MediaMetadata& Meta) {
    auto before = Fs.Stat(Path);
    if (!before || !before->Regular) return false;
    const bool readOnly = platform::IsReadOnlyMode(before->Mode);
    if (readOnly) Fs.SetMode(Path, platform::WritableMode(before->Mode));

    bool ok = false;
    {
        platform::FsFilePtr file = Fs.OpenReadWrite(Path);
        if (file) {
            const int64_t size = before->Size;
            int64_t position = 0;
            if (auto length = TrailerLength(*file, size)) {
                position = size - *length;  // the old trailer is overwritten
            } else {
                position = size - TrailingZeroBytes(*file, size);
            }
            ok = file->Seek(position);
            if (ok && Meta.Parameters) {
                const std::string trailer = BuildTrailer(Path, Meta);
                ok = file->WriteAll(trailer.data(), trailer.size());
                position += static_cast<int64_t>(trailer.size());
            }
            if (ok) ok = file->SetSize(position);
        }
    }
    const int32_t error = platform::LastError();
    Fs.SetTimesAndMode(Path, before->CreationTime, before->LastAccessTime, before->LastWriteTime,
                       before->Mode);
    errno = error;
    return ok;
}

bool WriteMetadata(const std::string& Path, const MediaMetadata& Meta) {
    platform::LocalFileSystem local;
    return WriteMetadata(local, Path, Meta);
}

bool HasMetadataTrailer(platform::FsFile& File, int64_t Size) {
    return TrailerLength(File, Size).has_value();
}

bool MayBeMetadataOnlyChange(int64_t SourceSize, int64_t DestSize, bool DestHasTrailer) {
    // Without a trailer of its own the destination can only be the source's media data,
    // and that is shorter than the source by at least the smallest trailer.
    return DestHasTrailer || (DestSize > 0 && DestSize <= SourceSize - kSmallestTrailer);
}

bool IsMetadataOnlyChange(platform::FileSystem& SourceFs, const std::string& Source,
                          platform::FileSystem& DestFs, const std::string& Dest, int64_t DestSize,
                          MediaMetadata& SourceMeta, const std::string& LogPath) {
    if (ReadMetadata(SourceFs, Source, SourceMeta, LogPath) == mrUnreadable) return false;
    bool result = DestSize > 0 && DestSize == SourceMeta.MediaLength;
    MediaMetadata destMeta;
    if (ReadMetadata(DestFs, Dest, destMeta, LogPath) == mrTrailer &&
        destMeta.MediaLength == SourceMeta.MediaLength) {
        const std::string s1 = SourceMeta.Parameters
                                   ? SourceMeta.Parameter("Parameters", "LastChange").value_or("")
                                   : "1";
        const std::string s2 =
            destMeta.Parameters ? destMeta.Parameter("Parameters", "LastChange").value_or("") : "2";
        if (s1 != s2) result = true;
    }
    return result;
}

bool IsMetadataOnlyChange(const std::string& Source, const std::string& Dest, int64_t DestSize,
                          MediaMetadata& SourceMeta, const std::string& LogPath) {
    platform::LocalFileSystem local;
    return IsMetadataOnlyChange(local, Source, local, Dest, DestSize, SourceMeta, LogPath);
}

}  // namespace ferrolin
