#include "files/media_metadata.h"
#include "platform/local_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "copy_test_util.h"
#include "files/file_copy.h"
#include "platform/file_handle.h"

namespace ferrolin {
namespace {

using test::Exists;
using test::Moment;
using test::RandomBytes;
using test::ReadFile;
using test::SetWriteTime;
using test::WriteFile;
using test::WriteTime;

std::string Le32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

// Media bytes that do not end in a zero byte.
std::string Media(size_t size, uint32_t seed) {
    std::string m = RandomBytes(size, seed);
    if (!m.empty()) m.back() = 'M';
    return m;
}

Bitmap Picture(int w, int h, uint8_t shade) {
    Bitmap b;
    b.Width = w;
    b.Height = h;
    for (int i = 0; i < w * h * 3; ++i) b.Pixels.push_back(static_cast<uint8_t>(shade + i));
    return b;
}

MediaMetadata Meta(const std::string& lastChange) {
    MediaMetadata m;
    m.Parameters = "[Parameters]\r\nLastChange=" + lastChange + "\r\nTitle=Clip\r\n";
    return m;
}

class MediaMetadataTest : public test::FilesTest {};

TEST_F(MediaMetadataTest, WritesAndReadsBackParametersAndPictures) {
    const struct {
        const char* name;
        unsigned char endCode;
    } cases[] = {{"a.mpg", 0xB9}, {"b.VOB", 0xB9}, {"c.mpv", 0xB7},
                 {"d.m2v", 0xB7}, {"e.avi", 0xB9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path(c.name);
        const std::string media = Media(100000, 1);
        WriteFile(path, media);
        MediaMetadata meta = Meta("2024-05-01");
        meta.Pictures[0] = Picture(3, 2, 10);
        meta.Pictures[5] = Picture(1, 1, 200);
        ASSERT_TRUE(WriteMetadata(path, meta));

        const std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.substr(0, media.size()), media);
        EXPECT_EQ(bytes.substr(media.size(), 4), std::string("\0\0\1", 3) + char(c.endCode));
        EXPECT_EQ(bytes.substr(bytes.size() - 10, 6), "KSTtlt");

        MediaMetadata back;
        ASSERT_EQ(ReadMetadata(path, back), mrTrailer);
        EXPECT_EQ(back.MediaLength, 100000);
        EXPECT_EQ(back.Parameters, meta.Parameters);
        EXPECT_EQ(back.Parameter("parameters", "lastchange"), "2024-05-01");
        EXPECT_EQ(back.Pictures[0], meta.Pictures[0]);
        EXPECT_EQ(back.Pictures[5], meta.Pictures[5]);
        EXPECT_FALSE(back.Pictures[1].has_value());
    }
}

TEST_F(MediaMetadataTest, RewriteReplacesTheTrailerAndKeepsTimesAndReadOnlyState) {
    const std::string path = Path("clip.mpg");
    const std::string media = Media(5000, 2);
    WriteFile(path, media);
    ASSERT_TRUE(WriteMetadata(path, Meta("first, and a longer text than the second")));
    SetWriteTime(path, Moment(50));
    chmod(path.c_str(), 0444);

    ASSERT_TRUE(WriteMetadata(path, Meta("second")));
    MediaMetadata back;
    ASSERT_EQ(ReadMetadata(path, back), mrTrailer);
    EXPECT_EQ(back.MediaLength, 5000);
    EXPECT_EQ(back.Parameter("Parameters", "LastChange"), "second");
    EXPECT_EQ(WriteTime(path), Moment(50));
    EXPECT_EQ(test::ModeOf(path), 0444u);

    // No parameter text: the trailer goes, the media stays.
    chmod(path.c_str(), 0644);
    ASSERT_TRUE(WriteMetadata(path, MediaMetadata{}));
    EXPECT_EQ(ReadFile(path), media);
}

TEST_F(MediaMetadataTest, TrailingWholeZeroBlocksAreCutBeforeANewTrailer) {
    const struct {
        size_t zeros;
        int64_t mediaLength;
    } cases[] = {{200000, 300000}, {1000, 301000}, {65536 * 2, 300000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zeros);
        const std::string path = Path("z.mpg");
        WriteFile(path, Media(300000, 3) + std::string(c.zeros, '\0'));
        ASSERT_TRUE(WriteMetadata(path, Meta("x")));
        MediaMetadata back;
        ASSERT_EQ(ReadMetadata(path, back), mrTrailer);
        EXPECT_EQ(back.MediaLength, c.mediaLength);
    }
}

TEST_F(MediaMetadataTest, ShortFilesAndFilesWithoutTrailer) {
    MediaMetadata meta;
    EXPECT_EQ(ReadMetadata(Path("missing"), meta), mrUnreadable);
    WriteFile(Path("ten"), "0123456789");
    EXPECT_EQ(ReadMetadata(Path("ten"), meta), mrUnreadable);
    WriteFile(Path("eleven"), "0123456789A");
    EXPECT_EQ(ReadMetadata(Path("eleven"), meta), mrNoTrailer);
    EXPECT_EQ(meta.MediaLength, 0);
    MediaMetadata source;
    EXPECT_FALSE(IsMetadataOnlyChange(Path("ten"), Path("eleven"), 11, source));
}

TEST_F(MediaMetadataTest, ReadsTheOlderParameterOnlyTrailer) {
    const std::string text = "[Parameters]\r\nLastChange=7\r\n";
    WriteFile(Path("old.mpg"),
              Media(1000, 4) + text + "KSTtlt" + Le32(static_cast<uint32_t>(text.size() + 10)));
    MediaMetadata meta;
    ASSERT_EQ(ReadMetadata(Path("old.mpg"), meta), mrTrailer);
    EXPECT_EQ(meta.MediaLength, 1000);
    EXPECT_EQ(meta.Parameters, text);
    EXPECT_EQ(meta.Parameter("Parameters", "LastChange"), "7");
}

// Damaged and hostile trailers: every length is bounded by the file, nothing crashes,
// nothing oversized is allocated, what did not arrive whole is not loaded.
TEST_F(MediaMetadataTest, DamagedTrailersAreReadSafely) {
    const std::string media = Media(2000, 5);
    const std::string end = std::string("\0\0\1\xB9", 4);
    auto trailer = [](const std::string& blocks, uint32_t length) {
        return blocks + "KSTtlt" + Le32(length);
    };
    const std::string goodParams = Le32(kParameterBlockId) + Le32(5) + "[P]\r\n";
    const struct {
        const char* label;
        std::string tail;
        int result;
        bool hasParameters;
    } cases[] = {
        {"length beyond the file", trailer(end, 0x7FFFFFFF), mrNoTrailer, false},
        {"length below the minimum", trailer(end, 3), mrNoTrailer, false},
        {"parameter length beyond the trailer",
         trailer(end + Le32(kParameterBlockId) + Le32(0x7FFFFFFF) + "abc", 4 + 11 + 10),
         mrTrailer, false},
        {"picture length beyond the trailer",
         trailer(end + goodParams + Le32(kPictureBlockId + 2) + Le32(0xFFFFFFF0),
                 static_cast<uint32_t>(4 + goodParams.size() + 8 + 10)),
         mrTrailer, true},
        {"picture that is no bitmap",
         trailer(end + goodParams + Le32(kPictureBlockId) + Le32(4) + "junk",
                 static_cast<uint32_t>(4 + goodParams.size() + 12 + 10)),
         mrTrailer, true},
        {"unknown ids", trailer(end + "ABCDEFGH" + goodParams, static_cast<uint32_t>(4 + 8 + goodParams.size() + 10)),
         mrTrailer, false},
        {"one unknown id skipped", trailer(end + "ABCD" + goodParams, static_cast<uint32_t>(4 + 4 + goodParams.size() + 10)),
         mrTrailer, true},
        {"length field cut short", trailer(end + Le32(kParameterBlockId) + "\1\0", 4 + 6 + 10),
         mrTrailer, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = Path("bad.mpg");
        WriteFile(path, media + c.tail);
        MediaMetadata meta;
        EXPECT_EQ(ReadMetadata(path, meta, copy.MetadataLogPath()), c.result);
        EXPECT_EQ(meta.Parameters.has_value(), c.hasParameters);
        for (const auto& p : meta.Pictures) EXPECT_FALSE(p.has_value());
    }
    EXPECT_NE(ReadFile(copy.MetadataLogPath()).find(" 000 Error: ReadFile P8 " + Path("bad.mpg")),
              std::string::npos);
}

TEST_F(MediaMetadataTest, RecognisesDestinationsThatDifferOnlyInMetadata) {
    const std::string media = Media(4000, 6);
    auto make = [&](const std::string& name, const char* lastChange) {
        WriteFile(Path(name), media);
        if (lastChange) WriteMetadata(Path(name), Meta(lastChange));
        return Path(name);
    };
    const struct {
        const char* label;
        const char* source;
        const char* dest;
        bool sameMedia;
        bool expected;
    } cases[] = {
        {"destination is the bare media", "1", nullptr, true, true},
        {"other LastChange", "2", "1", true, true},
        {"same LastChange", "1", "1", true, false},
        {"other media length", "2", "1", false, false},
        {"source without trailer", nullptr, "1", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string src = make("src.mpg", c.source);
        std::string dst = make("dst.mpg", c.dest);
        if (!c.sameMedia) {
            WriteFile(dst, media + "more");
            WriteMetadata(dst, Meta(c.dest));
        }
        MediaMetadata sourceMeta;
        const int64_t destSize = static_cast<int64_t>(ReadFile(dst).size());
        EXPECT_EQ(IsMetadataOnlyChange(src, dst, destSize, sourceMeta), c.expected);
        EXPECT_EQ(sourceMeta.Parameters.has_value(), c.source != nullptr);
    }
}

// The copier settles the metadata question from sizes and the destination's trailer
// alone when it can; over many shapes of source and destination that shortcut never
// says "no" where the full comparison says "yes".
TEST_F(MediaMetadataTest, ShortcutNeverHidesAMetadataOnlyChange) {
    uint32_t seed = 1;
    int changes = 0;
    for (size_t mediaSize : {0, 1, 5, 13, 14, 40, 300}) {
        for (int sourceKind = 0; sourceKind < 3; ++sourceKind) {
            for (int destKind = 0; destKind < 5; ++destKind) {
                const std::string media = Media(mediaSize, ++seed);
                WriteFile(Path("s"), media);
                if (sourceKind > 0) WriteMetadata(Path("s"), Meta(sourceKind == 1 ? "1" : "22"));
                // The destination: bare media, media with a trailer of either length,
                // other media of the source's whole size, or only a trailer.
                WriteFile(Path("d"), destKind == 3 ? Media(ReadFile(Path("s")).size(), ++seed)
                                     : destKind == 4 ? std::string()
                                                     : media);
                if (destKind == 1 || destKind == 4) WriteMetadata(Path("d"), Meta("1"));
                if (destKind == 2) WriteMetadata(Path("d"), Meta("33"));
                const int64_t sourceSize = static_cast<int64_t>(ReadFile(Path("s")).size());
                const int64_t destSize = static_cast<int64_t>(ReadFile(Path("d")).size());
                bool destTrailer = false;
                {
                    platform::LocalFile dest(platform::FileHandle::OpenRead(Path("d"), false));
                    destTrailer = HasMetadataTrailer(dest, destSize);
                }
                MediaMetadata sourceMeta;
                const bool full = IsMetadataOnlyChange(Path("s"), Path("d"), destSize, sourceMeta);
                changes += full;
                if (full) {
                    EXPECT_TRUE(MayBeMetadataOnlyChange(sourceSize, destSize, destTrailer))
                        << mediaSize << " " << sourceKind << " " << destKind;
                }
            }
        }
    }
    EXPECT_GT(changes, 10);  // the shapes do reach the interesting cases
}

// A trailer edit keeps the file's size and times, so a destination that looks the same
// by size and time still gets the new trailer.
TEST_F(MediaMetadataTest, CopierRewritesTheTrailerOfADestinationThatLooksTheSame) {
    const std::string media = Media(5000, 11);
    WriteFile(Path("src.mpg"), media);
    WriteMetadata(Path("src.mpg"), Meta("new"));
    WriteFile(Path("dst.mpg"), media);
    WriteMetadata(Path("dst.mpg"), Meta("old"));
    SetWriteTime(Path("src.mpg"), Moment(0));
    SetWriteTime(Path("dst.mpg"), Moment(0));
    EXPECT_EQ(FileCopy(copy, Path("src.mpg"), Path("dst.mpg"), {}, CopyProgressRoutine, 0, 0,
                       wmSystemCopy),
              crMetadataUpdated);
    EXPECT_EQ(ReadFile(Path("dst.mpg")), ReadFile(Path("src.mpg")));
    EXPECT_EQ(FileCopy(copy, Path("src.mpg"), Path("dst.mpg"), {}, CopyProgressRoutine, 0, 0,
                       wmSystemCopy),
              crSame);
}

TEST_F(MediaMetadataTest, CopierRewritesOnlyTheTrailer) {
    const std::string media = Media(200000, 7);
    WriteFile(Path("src.mpg"), media);
    WriteMetadata(Path("src.mpg"), Meta("new"));
    WriteFile(Path("dst.mpg"), media);
    WriteMetadata(Path("dst.mpg"), Meta("old"));
    SetWriteTime(Path("src.mpg"), Moment(0));
    SetWriteTime(Path("dst.mpg"), Moment(-100));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        EXPECT_EQ(FileCopy(copy, Path("src.mpg"), Path("dst.mpg"), {}, CopyProgressRoutine, 0, 0, mode),
                  crMetadataUpdated);
        EXPECT_EQ(copy.Status.StatusStr, "src.mpg Metadata Updated");
        EXPECT_EQ(ReadFile(Path("dst.mpg")), ReadFile(Path("src.mpg")));
        EXPECT_EQ(WriteTime(Path("dst.mpg")), Moment(-100));  // untouched times
        WriteMetadata(Path("dst.mpg"), Meta("old"));
        SetWriteTime(Path("dst.mpg"), Moment(-100));
    }
}

// The rewrite needs the destination to itself; when another process reads it, the
// copier reports the failure instead of "Metadata Updated".
TEST_F(MediaMetadataTest, CopierReportsATrailerRewriteThatCouldNotHappen) {
    const std::string media = Media(3000, 8);
    WriteFile(Path("src.mpg"), media);
    WriteMetadata(Path("src.mpg"), Meta("new"));
    WriteFile(Path("dst.mpg"), media);
    WriteMetadata(Path("dst.mpg"), Meta("old"));
    const std::string before = ReadFile(Path("dst.mpg"));
    test::LockHolder reader(Path("dst.mpg"), LOCK_SH);
    EXPECT_EQ(FileCopy(copy, Path("src.mpg"), Path("dst.mpg"), {}, CopyProgressRoutine, 0, 0,
                       wmSystemCopy),
              crFailed);
    EXPECT_EQ(copy.Status.StatusStr.rfind("src.mpg Metadata update failed", 0), 0u)
        << copy.Status.StatusStr;
    EXPECT_EQ(ReadFile(Path("dst.mpg")), before);
}

}  // namespace
}  // namespace ferrolin
