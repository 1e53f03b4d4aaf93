#include "station/config_check_job.h"

#include "common/text.h"
#include "config/global_section.h"
#include "config/job_section.h"
#include "config/profile_document.h"
#include "engine/transfer_kind.h"
#include "platform/whole_file.h"
#include "protocols/host_port.h"
#include "protocols/pop3_client.h"
#include "protocols/smb_address.h"
#include "remote/ftp_address.h"

namespace ferrolin {

ConfigFinding CheckedJob::Finding(std::string_view key, FindingKind kind,
                                  std::string detail) const {
    ConfigFinding finding;
    finding.kind = kind;
    finding.section = section;
    finding.detail = std::move(detail);
    const std::string wanted = AsciiLower(key);
    for (const auto& [name, line] : lines) {
        if (name.empty()) finding.line = line;
    }
    for (const auto& [name, line] : lines) {
        if (name == wanted) {
            finding.line = line;
            finding.key = std::string(key);
        }
    }
    if (key == "SendeVerzeichnis") finding.value = settings.source;
    if (key == "EmpfangsVerzeichnis") finding.value = settings.destination;
    if (key == "CLFile") finding.value = settings.compareListFile;
    if (finding.key.empty()) finding.key = std::string(key);
    return finding;
}

std::vector<CheckedJob> ReadCheckedJobs(const std::string& iniFile) {
    const ProfileFile ini(iniFile);
    ProfileFile::Snapshot snapshot(ini);
    std::string text;
    platform::ReadWholeFile(iniFile, text);
    const ProfileDocument doc = ProfileDocument::Parse(text);
    std::vector<CheckedJob> jobs;
    const int count = ReadJobCount(ini);
    for (int n = 0; n < count; ++n) {
        CheckedJob job;
        job.number = n;
        job.section = JobSectionName(n);
        job.settings = ReadJobSection(ini, n, TransferJob{});
        job.kind = DecideTransferKind(job.settings.source, job.settings.sourceType);
        job.ftpUpload =
            job.kind != Tran_FTPR &&
            AsciiLower(job.settings.destination).find("ftp:") != std::string::npos;
        job.lines.emplace_back("", doc.LineOf(job.section));
        for (const char* key : {"SendeVerzeichnis", "EmpfangsVerzeichnis", "CLFile"})
            job.lines.emplace_back(AsciiLower(key), doc.LineOf(job.section, key));
        std::erase_if(job.lines, [](const auto& l) { return l.second == 0; });
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::optional<std::string> FtpAddressProblem(const std::string& address) {
    const std::string host = FtpHostOf(address);
    if (host.empty()) return "no host name";
    if (!SplitHostPort(host, 21)) return "\"" + host + "\" is not host or host:port";
    return std::nullopt;
}

std::optional<std::string> HttpAddressProblem(const std::string& address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos) return "not an address http://host/path";
    std::string host = address.substr(scheme + 3);
    host = host.substr(0, host.find('/'));
    if (const size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
    if (host.empty()) return "no host name";
    if (!SplitHostPort(host, 80)) return "\"" + host + "\" is not host or host:port";
    return std::nullopt;
}

std::optional<std::string> MailAddressProblem(const std::string& address) {
    if (!ParsePop3Address(address)) return "not host, host:port or pop3://host[:port]";
    return std::nullopt;
}

std::optional<std::string> ShareAddressProblem(const std::string& path) {
    if (!ParseSmbPath(path)) return "not //server/share/folder";
    return std::nullopt;
}

}  // namespace ferrolin
