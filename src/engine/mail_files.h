#pragma once
// The files one received mail message leaves in the destination folder: its subject
// (date-tick " Head.txt"), its body (Body.txt), each text part (date-tick " Body.txt") and
// each attachment under its own name, made safe so it never leaves the folder.
#include <set>
#include <string>

#include "config/transfer_job.h"
#include "engine/run_context.h"
#include "platform/file_system.h"
#include "protocols/mime_message.h"

namespace ferrolin {

// "YYYYMMDD-TTTTTTTT": the local date and the millisecond tick as eight upper-case hex
// digits, taken anew for every file.
std::string MailFileStamp(const Clock& clock);

// The files a mail job has stored so far. A second file of the same name (the same
// attachment name in two messages, or twice in one) must not replace the first: it gets
// the first free name "name (2).ext", "name (3).ext", ... that neither exists nor was
// stored before. Body.txt is the one file every message replaces on purpose.
class ReceivedFiles {
  public:
    // path itself when no earlier message of this job stored it (or it is gone again),
    // else a free name.
    std::string FreePath(platform::FileSystem& fs, const std::string& path) const;
    void Remember(const std::string& path) { stored_.insert(path); }

  private:
    std::set<std::string> stored_;
};

// "report.csv", 2 -> "report (2).csv"; the stem is shortened (whole UTF-8 characters) when
// the name would not fit a folder entry.
std::string NumberedName(const std::string& name, int number);

// Writes the files of message as the job asks, in this order: header, body, "Erase
// first" (which removes what the first two just wrote, but never the program's own
// files), then the parts. False at the first file that could not be written whole, with
// the reason in error: then the message must stay on the server.
bool StoreMailFiles(const RunContext& run, const TransferJob& job, const MimeMessage& message,
                    ReceivedFiles& received, std::string& error);

}  // namespace ferrolin
