#pragma once
// The metadata trailer of media files: a parameter text in INI form and up to eight
// pictures appended after the media data, ended by the magic "KSTtlt" and the trailer's
// length. The copier uses it to bring a destination up to date by rewriting only the
// trailer when nothing but the metadata differs.
//
// Every length read from a trailer is checked against the file's size, so a damaged or
// hostile trailer can neither crash the reader nor make it allocate more than the file
// holds. Errors go to "Metadata.log" in the program folder.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "files/bitmap.h"

namespace ferrolin::platform {
class FileSystem;
class FsFile;
}  // namespace ferrolin::platform

namespace ferrolin {

struct MediaMetadata {
    // Where the trailer begins: the length of the media data; 0 without a trailer.
    int64_t MediaLength = 0;
    // The parameter text (INI lines, Windows-1252 bytes as stored), absent when the
    // trailer has none.
    std::optional<std::string> Parameters;
    std::array<std::optional<Bitmap>, 8> Pictures;

    void Clear();
    // The value of key in section of the parameter text; nullopt when there is no
    // parameter text or no such key.
    std::optional<std::string> Parameter(const std::string& section, const std::string& key) const;
};

inline constexpr char kMetadataMagic[] = "KSTtlt";  // six letters, no terminator stored
inline constexpr uint32_t kParameterBlockId = 12341971;
inline constexpr uint32_t kPictureBlockId = 123451971;  // + slot 0..7
// The shortest trailer there can be: one block id, the magic and the length.
inline constexpr int64_t kSmallestTrailer = 14;

enum MetadataReadResult : int {
    mrUnreadable = 0,  // cannot be opened, or 10 bytes or shorter
    mrNoTrailer = 1,
    mrTrailer = 2,
};

// Reads the trailer of Path into Meta (cleared first); a MetadataReadResult. Reading
// errors are logged to LogPath ("Metadata.log"), or nowhere when it is empty.
int ReadMetadata(const std::string& Path, MediaMetadata& Meta, const std::string& LogPath = {});
// The same for a file of the file system Fs (a local disk or a share).
int ReadMetadata(platform::FileSystem& Fs, const std::string& Path, MediaMetadata& Meta,
                 const std::string& LogPath = {});

// Writes Meta as the trailer of the existing file Path, replacing an old trailer (or
// cutting trailing all-zero 64 KiB blocks when it has none); a Meta without parameter
// text removes the trailer. The file keeps its times and its read-only state. False
// when the file could not be opened or written.
bool WriteMetadata(const std::string& Path, const MediaMetadata& Meta);
bool WriteMetadata(platform::FileSystem& Fs, const std::string& Path, const MediaMetadata& Meta);

// True when the open file of Size bytes ends in a trailer that ReadMetadata finds.
bool HasMetadataTrailer(platform::FsFile& File, int64_t Size);

// False when IsMetadataOnlyChange is certain to be false for a source of SourceSize bytes
// and a destination of DestSize bytes with or without a trailer, so the copier need not
// read the source's trailer at all (a file already the same costs no extra reads).
bool MayBeMetadataOnlyChange(int64_t SourceSize, int64_t DestSize, bool DestHasTrailer);

// Fills SourceMeta from Source and tells whether Dest (DestSize bytes, 0 when absent)
// differs from Source only in its trailer.
bool IsMetadataOnlyChange(const std::string& Source, const std::string& Dest, int64_t DestSize,
                          MediaMetadata& SourceMeta, const std::string& LogPath = {});
bool IsMetadataOnlyChange(platform::FileSystem& SourceFs, const std::string& Source,
                          platform::FileSystem& DestFs, const std::string& Dest, int64_t DestSize,
                          MediaMetadata& SourceMeta, const std::string& LogPath = {});

}  // namespace ferrolin
