#include "engine/transfer_kinds.h"

#include "common/text.h"
#include "engine/folder_kind.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_steps.h"
#include "engine/http_kind.h"
#include "engine/mail_kind.h"
#include "engine/remote_sessions.h"
#include "protocols/ftp_scheme.h"

namespace ferrolin {

namespace {

bool Holds(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The operator's type choice decides; the texts are read only where it is left on Auto
// (a folder marked as a folder, /srv/mail/out, stays a folder), except that an address
// is always an address.
bool TakesListFile(const KindSelection& job) {
    return job.sourceType == ST_Filelist;
}
bool TakesMailbox(const KindSelection& job) {
    if (job.sourceType == ST_Mail) return true;
    return job.sourceType == ST_Auto &&
           (Holds(job.source.substr(0, 7), "pop") || Holds(job.source.substr(0, 8), "mail"));
}
bool TakesHttp(const KindSelection& job) {
    return job.sourceType == ST_Http || Holds(job.source, "http:");
}
// The secure schemes count only at the start of the text; their rows come before the
// plain FTP rows, which would take "sftp://" for its "ftp:".
bool NamesSftp(std::string_view text) {
    return SchemeAtStart(text) == FtpScheme::Sftp;
}
bool NamesFtpOverTls(std::string_view text) {
    const std::optional<FtpScheme> scheme = SchemeAtStart(text);
    return scheme && UsesTls(*scheme);
}
bool TakesSftpSource(const KindSelection& job) {
    return NamesSftp(job.source);
}
bool TakesFtpsSource(const KindSelection& job) {
    return NamesFtpOverTls(job.source);
}
bool TakesFtpSource(const KindSelection& job) {
    return job.sourceType == ST_Ftp || NamesFtpServer(job.source);
}
bool TakesSftpDestination(const KindSelection& job) {
    return NamesSftp(job.destination);
}
bool TakesFtpsDestination(const KindSelection& job) {
    return NamesFtpOverTls(job.destination);
}
bool TakesFtpDestination(const KindSelection& job) {
    return NamesFtpServer(job.destination);
}
bool TakesAny(const KindSelection&) {
    return true;
}

void AbortFtp(RemoteSessions& sessions) {
    sessions.AbortFtpTransfer();
}

// The servers the FTP session reaches (plain FTP, FTP over TLS, SFTP) share one lister,
// transfer, close and stop step each way; their rows differ in name and selection only.
constexpr SourceKind FtpSessionSource(std::string_view name, bool (*takes)(const KindSelection&)) {
    return {.name = name,
            .takes = takes,
            .form = SourceForm::Address,
            .list = ListFtpSource,
            .transfer = TransferFromFtp,
            .plan = PlanFromFtp,
            .closeUnused = EndFtpWork,
            .abort = AbortFtp,
            .checkAddress = FtpAddressProblem,
            .probeLogon = FtpLogonProblem};
}
constexpr DestinationKind FtpSessionDestination(std::string_view name,
                                                bool (*takes)(const KindSelection&)) {
    return {.name = name,
            .takes = takes,
            .transfer = TransferToFtp,
            .plan = PlanToFtp,
            .abort = AbortFtp,
            .checkAddress = FtpAddressProblem,
            .probeLogon = FtpLogonProblem};
}

constexpr SourceKind kSources[] = {
    {.name = "list file",
     .takes = TakesListFile,
     .form = SourceForm::ListFile,
     .list = ListFileListSource},
    {.name = "mail",
     .takes = TakesMailbox,
     .form = SourceForm::Address,
     .list = ListMailSource,
     .transfer = ReceiveMail,
     .plan = PlanMailReceipt,
     .checkAddress = MailAddressProblem,
     .probeLogon = MailLogonProblem,
     .needsDestination = true},
    {.name = "http",
     .takes = TakesHttp,
     .form = SourceForm::Address,
     .list = ListHttpSource,
     .transfer = DownloadHttp,
     .plan = PlanHttpDownload,
     .checkAddress = HttpAddressProblem,
     .destinationIsFile = true,
     .needsDestination = true},
    FtpSessionSource("sftp download", TakesSftpSource),
    FtpSessionSource("ftps download", TakesFtpsSource),
    FtpSessionSource("ftp download", TakesFtpSource),
    {.name = "folder", .takes = TakesAny, .form = SourceForm::Folder, .list = ListFolderSource},
};

constexpr DestinationKind kDestinations[] = {
    FtpSessionDestination("sftp upload", TakesSftpDestination),
    FtpSessionDestination("ftps upload", TakesFtpsDestination),
    FtpSessionDestination("ftp upload", TakesFtpDestination),
    {.name = "", .takes = TakesAny, .transfer = TransferToFolder, .plan = PlanToFolder},
};

}  // namespace

std::span<const SourceKind> SourceKinds() {
    return kSources;
}
std::span<const DestinationKind> DestinationKinds() {
    return kDestinations;
}

TransferKind ChooseTransferKind(std::string_view source, uint8_t sourceType,
                                std::string_view destination) {
    const KindSelection job{AsciiLower(source), sourceType, AsciiLower(destination)};
    TransferKind kind;
    for (const SourceKind& row : kSources) {
        if (!row.takes(job)) continue;
        kind.source = &row;
        break;
    }
    if (kind.source == nullptr || kind.source->transfer != nullptr) return kind;
    for (const DestinationKind& row : kDestinations) {
        if (!row.takes(job)) continue;
        kind.destination = &row;
        break;
    }
    return kind;
}

std::string_view TransferKind::Name() const {
    if (destination != nullptr && !destination->name.empty()) return destination->name;
    return source != nullptr ? source->name : std::string_view();
}

EntryTransfer TransferKind::Transfer() const {
    if (source != nullptr && source->transfer != nullptr) return source->transfer;
    return destination != nullptr ? destination->transfer : nullptr;
}

TransferPlanner TransferKind::Planner() const {
    if (source != nullptr && source->transfer != nullptr) return source->plan;
    return destination != nullptr ? destination->plan : nullptr;
}

void TransferKind::Abort(RemoteSessions& sessions) const {
    if (source != nullptr && source->abort != nullptr) source->abort(sessions);
    if (destination != nullptr && destination->abort != nullptr) destination->abort(sessions);
}

}  // namespace ferrolin
