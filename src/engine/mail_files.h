#pragma once
// The files one received mail message leaves in the destination folder: its subject
// (date-tick " Head.txt"), its body (Body.txt), each text part (date-tick " Body.txt") and
// each attachment under its own name, made safe so it never leaves the folder.
#include <string>

#include "config/transfer_job.h"
#include "engine/run_context.h"
#include "protocols/mime_message.h"

namespace ferrolin {

// "YYYYMMDD-TTTTTTTT": the local date and the millisecond tick as eight upper-case hex
// digits, taken anew for every file.
std::string MailFileStamp(RunContext& run);

// Writes the files of message as the job asks, in this order: header, body, "Erase
// first" (which removes what the first two just wrote), then the parts. False at the
// first file that could not be written, with the reason in error.
bool StoreMailFiles(RunContext& run, const TransferJob& job, const MimeMessage& message,
                    std::string& error);

}  // namespace ferrolin
