#pragma once
// Reading FTP server replies that libcurl passes through as they arrive (its header
// callback delivers every control-connection line): the FEAT list, the PWD folder, and
// the last refusal for error texts.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

struct FtpFeatures {
    bool utf8 = false;  // "UTF8": names are UTF-8 once OPTS UTF8 ON is sent
    bool mlsd = false;  // "MLST ...": machine-readable listings (MLSD)
};

// The features named in a multi-line 211 FEAT reply among lines (one reply line each,
// line ends included or not).
FtpFeatures ParseFeatures(const std::vector<std::string>& lines);

// The folder of the last 257 reply ("257 "/in" is the current directory"); a doubled
// quote inside stands for one quote.
std::optional<std::string> ParsePwdReply(const std::vector<std::string>& lines);

// The last reply line with a code of 400 or more, without its line end ("" if none).
std::string LastRefusal(const std::vector<std::string>& lines);

}  // namespace ferrolin
