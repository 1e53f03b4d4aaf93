#pragma once
// Reading FTP server replies that libcurl passes through as they arrive (its header
// callback delivers every control-connection line): the FEAT list, the PWD folder, and
// the last refusal for error texts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

struct FtpFeatures {
    bool utf8 = false;  // "UTF8": names are UTF-8 once OPTS UTF8 ON is sent
    bool mlsd = false;  // "MLST ...": machine-readable listings (MLSD)
    bool mfmt = false;  // "MFMT": a file's modification time can be set
};

// The features named in a multi-line 211 FEAT reply among lines (one reply line each,
// line ends included or not).
FtpFeatures ParseFeatures(const std::vector<std::string>& lines);

// The folder of the last 257 reply ("257 "/in" is the current directory"); a doubled
// quote inside stands for one quote.
std::optional<std::string> ParsePwdReply(const std::vector<std::string>& lines);

// The last reply line with a code of 400 or more, without its line end ("" if none).
std::string LastRefusal(const std::vector<std::string>& lines);

// The last line of each reply among lines ("213 1234", not "211-..." or a feature line),
// in order, without line ends.
std::vector<std::string> FinalReplies(const std::vector<std::string>& lines);
// The code of a reply line (0 for a line that is none).
int FtpReplyCode(std::string_view line);

// A file's size and modification time as SIZE and MDTM answered them.
struct FtpFileFacts {
    std::optional<int64_t> size;
    std::optional<int64_t> unixTime;  // UTC seconds since 1970
    bool operator==(const FtpFileFacts&) const = default;
};
// "213 <digits>" of SIZE; "213 YYYYMMDDHHMMSS[.fraction]" of MDTM (the fraction dropped).
std::optional<int64_t> ParseSizeReply(std::string_view line);
std::optional<int64_t> ParseMdtmReply(std::string_view line);

}  // namespace ferrolin
