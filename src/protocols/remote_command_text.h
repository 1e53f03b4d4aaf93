#pragma once
// The texts of remote commands that are more than a verb and a path: SFTP paths quoted
// for libcurl's SFTP commands, paths joined and tidied the way a server would, and the
// time stamps MFMT and SFTP's "mtime" take.
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolin {

// A command that would end the control line early (and start another) is never sent.
bool SafeCommandText(std::string_view text);

// "/in/a \"b\".txt" with the quotes: blanks, quotes and backslashes stay part of the name.
std::string QuotedSftpPath(std::string_view path);

// path taken from folder (path itself when absolute), with "." and ".." resolved and
// repeated slashes folded: JoinRemotePath("/in/day", "../out") is "/in/out". Never above
// "/"; "/" for an empty result.
std::string JoinRemotePath(std::string_view folder, std::string_view path);

// "Sat, 02 Jan 2021 03:04:05 GMT" for UTC seconds since 1970.
std::string HttpDate(int64_t unixTime);
// "20210102030405" (MFMT's and MDTM's form) for UTC seconds since 1970.
std::string MdtmStamp(int64_t unixTime);

}  // namespace ferrolin
