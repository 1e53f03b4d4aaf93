#pragma once
// The parts of an FTP address as the operator types it in a job ("ftp://host/in/day",
// "host", "ftp://user@host:2121/in").
#include <string>
#include <string_view>

namespace ferrolin {

// The host text: without "ftp://", without everything up to the first "@", up to the
// first "/". A ":port" stays part of it; the connection splits it off.
std::string FtpHostOf(std::string_view Value);

// The folder: from the first "/" after "ftp://" to the end, with "/" appended when that
// is longer than one character ("ftp://host/in" -> "/in/", "ftp://host" -> "").
std::string FtpFolderOf(std::string_view Value);

}  // namespace ferrolin
