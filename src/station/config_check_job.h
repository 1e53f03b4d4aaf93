#pragma once
// One job of the list as the checks of "check" see it: its settings as a run reads them,
// its transfer kind, and the lines its keys are on.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/transfer_job.h"
#include "engine/run_context.h"
#include "station/config_check.h"

namespace ferrolin {

struct CheckedJob {
    int number = 0;
    std::string section;
    TransferJob settings;
    TTransfer kind = Tran_Windows;                      // of the source
    bool ftpUpload = false;                             // the destination is an FTP address
    std::vector<std::pair<std::string, size_t>> lines;  // key (lower case) -> line

    // A finding about key of this job, on its line (the section's header when the key
    // is not written), with the value as stored.
    ConfigFinding Finding(std::string_view key, FindingKind kind, std::string detail) const;
};

// Every job of the list in order; settings a job does not write take their defaults.
std::vector<CheckedJob> ReadCheckedJobs(const std::string& iniFile);

// Why an address does not parse as the run would read it; nothing when it does.
std::optional<std::string> FtpAddressProblem(const std::string& address);
std::optional<std::string> HttpAddressProblem(const std::string& address);
std::optional<std::string> MailAddressProblem(const std::string& address);
std::optional<std::string> ShareAddressProblem(const std::string& path);

}  // namespace ferrolin
