#pragma once
// FTP directory listings into typed entries. libcurl hands over the raw text of LIST and
// MLSD; this parser reads the forms servers actually send: Unix "ls -l" lines (with a
// year or a time of day, links, names with blanks or made of digits, owner and group
// columns missing), DOS/IIS lines (12- and 24-hour clocks, two- and four-digit years) and
// MLSD facts. A line that is none of these is collected, not guessed at.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

enum class FtpEntryType { File, Directory, Link, Other };

struct FtpEntry {
    std::string name;        // UTF-8 (after decoding the server's bytes)
    std::string serverName;  // exactly the bytes the server used; sent back as they are
    int64_t size = 0;
    int64_t fileTime = 0;  // UTC, 100 ns since 1601 (FILETIME form); 0 = no time given
    FtpEntryType type = FtpEntryType::File;
    std::string linkTarget;  // for links, what " -> " named (server bytes)
    bool refused = false;    // a name no caller may use as a local or remote path
};

struct FtpListing {
    std::vector<FtpEntry> entries;
    std::vector<std::string> skippedLines;  // lines that parsed as no known form
};

enum class FtpListFormat { List, Mlsd };

// The whole listing text (LF or CR LF line ends). Names stay in the server's bytes
// (name == serverName); "total" lines and MLSD's own entries for the folder and its
// parent are dropped silently. nowUnix places LIST lines that give a time instead of a
// year: in the year that makes them no more than a day in the future.
FtpListing ParseFtpListing(std::string_view text, FtpListFormat format, int64_t nowUnix);

// Single lines; nothing for a line not of that form.
std::optional<FtpEntry> ParseUnixListLine(std::string_view line, int64_t nowUnix);
std::optional<FtpEntry> ParseDosListLine(std::string_view line);
std::optional<FtpEntry> ParseMlsdLine(std::string_view line);

// A name that must never become part of a path: empty, ".", "..", or holding "/", "\"
// or a control character (below 0x20, 0x7F, or a C1 control written in UTF-8).
bool IsRefusedRemoteName(std::string_view name);

// Seconds since 1970 UTC for a UTC calendar moment; nothing for a date or time that
// does not exist.
std::optional<int64_t> UtcCalendarToUnix(int year, int month, int day, int hour, int minute,
                                         int second);

}  // namespace ferrolin
