#pragma once
// The parts of an FTP address as the operator types it in a job ("ftp://host/in/day",
// "host", "ftp://user@host:2121/in", "sftp://host/in/", "ftps://host:990/out/").
#include <string>
#include <string_view>

#include "protocols/ftp_scheme.h"

namespace ferrolin {

// The scheme the address starts with; plain FTP for "ftp://" and for none.
FtpScheme FtpSchemeOf(std::string_view Value);

// The host text: without the scheme, without everything up to the first "@", up to the
// first "/". A ":port" stays part of it; the connection splits it off.
std::string FtpHostOf(std::string_view Value);

// The folder: from the first "/" after "ftp://" to the end, with "/" appended when that
// is longer than one character ("ftp://host/in" -> "/in/", "ftp://host" -> "").
std::string FtpFolderOf(std::string_view Value);

}  // namespace ferrolin
