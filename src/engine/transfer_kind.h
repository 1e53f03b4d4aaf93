#pragma once
// Which kind of transfer a job's source text makes.
#include <cstdint>
#include <string_view>

#include "engine/run_context.h"

namespace ferrolin {

// The source type choices of a job.
enum SourceTypes : uint8_t {
    ST_Auto = 0,
    ST_Windows = 1,
    ST_Ftp = 2,
    ST_Http = 3,
    ST_Mail = 4,
    ST_Filelist = 5,
};

// Starts from a folder transfer and applies the rules in order, a later one overriding
// an earlier one: "ftp:" anywhere or type Ftp -> FTP download; "http:" anywhere or type
// Http -> HTTP; "pop" in the first 7 or "mail" in the first 8 characters, or type Mail
// -> mailbox; type Filelist -> list file. Letter case is ignored. The "pop"/"mail" guess
// from the text is made only when the operator left the type on Auto: a folder the
// operator marked as a folder (/srv/mail/out) stays a folder.
TTransfer DecideTransferKind(std::string_view source, uint8_t sourceType);

}  // namespace ferrolin
