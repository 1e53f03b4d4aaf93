#include "protocols/ftp_client.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocols/curl_easy.h"
#include "protocols/fd_writer.h"
#include "protocols/ftp_client_operation.h"
#include "protocols/remote_command_text.h"

namespace ferrolin {

namespace {

// Large buffers keep loopback and LAN transfers at the wire's speed.
constexpr long kBufferSize = 512 * 1024;
constexpr long kUploadBufferSize = 512 * 1024;
// The smallest buffers libcurl accepts.
constexpr long kSmallestBufferSize = 1024;
constexpr long kSmallestUploadBuffer = 16 * 1024;

// Replaces every occurrence of secret in text (a password must never reach a text).
void Scrub(std::string& text, const std::string& secret) {
    if (secret.size() < 3) return;
    for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at)) {
        text.replace(at, secret.size(), "***");
        at += 3;
    }
}

}  // namespace

namespace {

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* replies = static_cast<std::vector<std::string>*>(user);
    replies->emplace_back(data, size * count);
    return size * count;
}

}  // namespace

FtpClient::FtpClient() = default;

FtpClient::~FtpClient() = default;

void FtpClient::Close() {
    // Closing the driver's connections sends QUIT on one that is still up.
    driver_.Reset();
    curl_.reset();
    open_ = false;
    lost_ = false;
    features_ = {};
    home_.clear();
}

void FtpClient::RequestAbort() {
    if (busy_) abort_ = true;
}

std::string FtpClient::BaseUrl() const {
    std::string host = options_.host;
    if (host.find(':') != std::string::npos) host = "[" + host + "]";
    // Explicit TLS starts as plain FTP; CURLOPT_USE_SSL then insists on "AUTH TLS".
    const std::string_view scheme = options_.scheme == FtpScheme::Ftpes
                                        ? SchemePrefix(FtpScheme::Ftp)
                                        : SchemePrefix(options_.scheme);
    return std::string(scheme) + host + ":" + std::to_string(options_.port) + "/";
}

// ftp://host:port/%2Fin/name: the encoded first slash makes the path absolute, and with
// the no-CWD method libcurl sends it whole in one RETR/STOR/LIST. An SFTP path is
// absolute as it stands (sftp://host:port/in/name).
std::string FtpClient::PathUrl(std::string_view path, bool folder) const {
    std::string url = BaseUrl() + (Sftp() ? "" : "%2F");
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    bool first = true;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (segment.empty()) continue;
        char* escaped =
            curl_easy_escape(curl_.get(), segment.data(), static_cast<int>(segment.size()));
        if (!first) url += '/';
        url += escaped ? escaped : "";
        curl_free(escaped);
        first = false;
    }
    if (folder && !first) url += '/';
    return url;
}

namespace {

// A control connection the server had closed while we were idle (a "421" time-out, a
// restart) is found dead only when the next operation uses it. An operation that moved
// no data yet is then tried once more on a fresh connection.
bool FailedOnDeadConnection(CURLcode code, const std::vector<std::string>& replies) {
    for (const std::string& reply : replies) {
        if (reply.rfind("421", 0) == 0) return true;
    }
    return code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR || code == CURLE_GOT_NOTHING ||
           code == CURLE_FTP_WEIRD_SERVER_REPLY;
}

}  // namespace

bool FtpClient::Perform(Operation& op, std::string& error) {
    if (!curl_) {
        curl_.reset(curl_easy_init());
        if (!curl_) {
            error = "libcurl could not be started";
            return false;
        }
    }
    auto code = static_cast<CURLcode>(PerformOnce(op, false));
    if (code != CURLE_OK && !op.progressAborted && op.ioErrno == 0 && op.dataBytes == 0 &&
        FailedOnDeadConnection(code, op.replies)) {
        op.replies.clear();
        op.errorBuffer[0] = '\0';
        code = static_cast<CURLcode>(PerformOnce(op, true));
    }
    lost_ = code != CURLE_OK && !driver_.ConnectionKept();
    if (code == CURLE_OK) return true;

    // A clear text: what went wrong, and the server's own words where it refused.
    if (op.progressAborted || code == CURLE_ABORTED_BY_CALLBACK) {
        error = "Transfer aborted";
    } else if (op.ioErrno != 0) {
        error = std::string(op.upload ? "Reading the local file failed: "
                                      : "Writing the local file failed: ") +
                std::strerror(op.ioErrno);
    } else {
        error = op.errorBuffer[0] ? op.errorBuffer : curl_easy_strerror(code);
        const std::string refusal = LastRefusal(op.replies);
        if (!refusal.empty() && error.find(refusal) == std::string::npos) {
            error += " (" + refusal + ")";
        }
    }
    Scrub(error, options_.password);
    return false;
}

int FtpClient::PerformOnce(Operation& op, bool freshConnection) {
    CURL* curl = curl_.get();
    // A reset clears the options of the previous operation but keeps its connection.
    curl_easy_reset(curl);
    CurlSlist quote;
    for (const std::string& command : op.quote) AppendToList(quote, command.c_str());

    ApplyConnection(curl, op, freshConnection);
    ApplyBufferSizes(curl);
    ApplyCommand(curl, op, quote.get());
    ApplyDataTransfer(curl, op);
    ProgressData progressData{this, &op};
    ApplyProgress(curl, progressData);

    busy_ = true;
    const CURLcode code = driver_.Run(curl);
    busy_ = false;
    abort_ = false;
    NoteIdentity(curl, code);
    if (op.fileTime) CollectFileFacts(curl, op);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    return code;
}

void FtpClient::ApplyConnection(CURL* curl, Operation& op, bool freshConnection) {
    const long stallSeconds =
        std::max<long>(1, static_cast<long>((options_.stallTimeout.count() + 999) / 1000));
    const std::string user = options_.user.empty() ? "anonymous" : options_.user;
    ApplyCommonOptions(curl, {.connectTimeout = options_.connectTimeout,
                              .stallTimeout = std::chrono::seconds(stallSeconds),
                              .user = user.c_str(),
                              .password = options_.password.c_str(),
                              .errorBuffer = op.errorBuffer});
    if (freshConnection) curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_URL, op.url.c_str());
    ApplySecurity(curl, op.fileTime);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!options_.passive) curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS,
                     static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
}

void FtpClient::ApplyBufferSizes(CURL* curl) const {
    long bufferSize = kBufferSize;
    long uploadBufferSize = kUploadBufferSize;
    if (options_.maxBytesPerSecond > 0) {
        const auto limit = static_cast<curl_off_t>(options_.maxBytesPerSecond);
        curl_easy_setopt(curl, CURLOPT_MAX_SEND_SPEED_LARGE, limit);
        curl_easy_setopt(curl, CURLOPT_MAX_RECV_SPEED_LARGE, limit);
        // libcurl checks the limit between its read loops, and one loop reads up to about a
        // hundred buffers while data is waiting (SFTP's read-ahead always has some): with
        // buffers of a 32nd of the limit, a burst stays within a few seconds' worth.
        const long scaled = static_cast<long>(std::min<curl_off_t>(limit / 32, kBufferSize));
        bufferSize = std::max(scaled, kSmallestBufferSize);
        uploadBufferSize = std::max(std::min(scaled, kUploadBufferSize), kSmallestUploadBuffer);
    }
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, bufferSize);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, uploadBufferSize);
}

void FtpClient::ApplyCommand(CURL* curl, Operation& op, curl_slist* quote) {
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &op.replies);
    if (quote != nullptr) curl_easy_setopt(curl, CURLOPT_QUOTE, quote);
    if (op.nobody) curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (op.resumeFrom > 0) {
        curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(op.resumeFrom));
    }
    if (!op.customRequest.empty()) {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, op.customRequest.c_str());
    }
}

// A download's data goes to the operation's text, file or descriptor; an upload's comes
// from its file or descriptor. A local failure keeps its errno for the message.
void FtpClient::ApplyDataTransfer(CURL* curl, Operation& op) {
    curl_write_callback write = [](char* data, size_t size, size_t count, void* user) -> size_t {
        auto* o = static_cast<Operation*>(user);
        const size_t total = size * count;
        o->dataBytes += static_cast<int64_t>(total);
        if (o->text) {
            o->text->append(data, total);
            return total;
        }
        if (o->file) {
            if (o->file->WriteAll(data, total)) return total;
            o->ioErrno = errno != 0 ? errno : EIO;
            return 0;
        }
        o->ioErrno = WriteAllToFd(o->fd, data, total);
        return o->ioErrno == 0 ? total : 0;
    };
    curl_read_callback read = [](char* data, size_t size, size_t count, void* user) -> size_t {
        auto* o = static_cast<Operation*>(user);
        if (o->file) {
            const int64_t n = o->file->Read(data, size * count);
            if (n >= 0) {
                o->dataBytes += n;
                return static_cast<size_t>(n);
            }
            o->ioErrno = errno != 0 ? errno : EIO;
            return CURL_READFUNC_ABORT;
        }
        for (;;) {
            const ssize_t n = ::read(o->fd, data, size * count);
            if (n > 0) o->dataBytes += n;
            if (n >= 0) return static_cast<size_t>(n);
            if (errno == EINTR) continue;
            o->ioErrno = errno;
            return CURL_READFUNC_ABORT;
        }
    };
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &op);
    if (op.upload) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, read);
        curl_easy_setopt(curl, CURLOPT_READDATA, &op);
        if (op.size >= 0) {
            curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(op.size));
        }
    }
}

// Progress: the caller's callback (pumping the user interface, abort requests) and this
// client's own abort flag.
void FtpClient::ApplyProgress(CURL* curl, ProgressData& data) {
    curl_xferinfo_callback onProgress = [](void* user, curl_off_t downTotal, curl_off_t downNow,
                                           curl_off_t upTotal, curl_off_t upNow) -> int {
        (void)downTotal;
        (void)upTotal;
        auto* pair = static_cast<ProgressData*>(user);
        FtpClient* self = pair->first;
        Operation* o = pair->second;
        const int64_t done = o->upload ? upNow : downNow;
        if (o->progress && *o->progress && !(*o->progress)(done)) self->abort_ = true;
        if (self->abort_.exchange(false)) {
            o->progressAborted = true;
            return 1;
        }
        return 0;
    };
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &data);
}

void FtpClient::CollectFileFacts(CURL* curl, Operation& op) {
    curl_off_t value = -1;
    if (curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &value) == CURLE_OK) op.fileTimeFound = value;
    value = -1;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &value) == CURLE_OK)
        op.contentLengthFound = value;
}

bool FtpClient::Open(const FtpConnectOptions& options, const Progress& progress,
                     std::string& error) {
    Close();
    options_ = options;
    hostKey_ = {};
    hostKey_.knownHostsFile = options.knownHostsFile;
    hostKey_.learnOnly = options.learnIdentity;
    tlsProblem_ = TlsProblem::None;
    certificate_ = {};
    if (Sftp()) {
        if (SftpOpen(progress, error)) return true;
        Close();
        return false;
    }
    Operation op;
    op.url = BaseUrl();
    op.nobody = true;
    // "*": a server that knows no FEAT is still a server we can use.
    op.quote = {"*FEAT", "PWD"};
    op.progress = &progress;
    if (!Perform(op, error)) {
        Close();
        return false;
    }
    features_ = ParseFeatures(op.replies);
    home_ = ParsePwdReply(op.replies).value_or("/");
    if (features_.utf8) {
        Operation utf8;
        utf8.url = BaseUrl();
        utf8.nobody = true;
        utf8.quote = {"*OPTS UTF8 ON"};
        utf8.progress = &progress;
        if (!Perform(utf8, error)) {
            Close();
            return false;
        }
    }
    open_ = true;
    return true;
}

bool FtpClient::CommandOperation(const std::vector<std::string>& commands, std::string_view prefix,
                                 const Progress& progress, Operation& op, std::string& error) {
    op.url = BaseUrl();
    op.nobody = true;
    op.progress = &progress;
    for (const std::string& command : commands) {
        if (!SafeCommandText(command)) {
            error = "A line break in a remote name is not allowed";
            return false;
        }
        op.quote.push_back(std::string(prefix) + command);
    }
    return true;
}

// Each command goes out as one libcurl may see refused ("*"): libcurl would otherwise
// treat a refusal as a broken control connection, close it and log in again for the next
// operation. The replies are judged here instead.
bool FtpClient::Ask(const std::vector<std::string>& commands, const Progress& progress,
                    std::vector<std::string>& replies, std::string& error) {
    Operation op;
    if (!CommandOperation(commands, "*", progress, op, error) || !Perform(op, error)) return false;
    // Nothing follows the commands, so their replies end the exchange (a fresh login's
    // replies come before them).
    const std::vector<std::string> finals = FinalReplies(op.replies);
    if (finals.size() < commands.size()) {
        error = "The server did not answer every command";
        return false;
    }
    replies.assign(finals.end() - static_cast<std::ptrdiff_t>(commands.size()), finals.end());
    return true;
}

bool FtpClient::Commands(const std::vector<std::string>& commands, const Progress& progress,
                         std::string& error) {
    std::vector<std::string> replies;
    if (!Ask(commands, progress, replies, error)) return false;
    for (const std::string& reply : replies) {
        if (FtpReplyCode(reply) >= 400) {
            error = "The server refused the command (" + reply + ")";
            return false;
        }
    }
    return true;
}

bool FtpClient::ChangeFolder(std::string_view path, std::string& folder, const Progress& progress,
                             std::string& error) {
    if (Sftp()) {
        // Nothing to ask: the listing that follows finds out whether the folder is there.
        sftpFolder_ = JoinRemotePath(sftpFolder_, path);
        folder = sftpFolder_;
        return true;
    }
    std::vector<std::string> replies;
    const std::string cwd = path.empty() ? std::string("CWD") : "CWD " + std::string(path);
    if (!Ask({cwd, "PWD"}, progress, replies, error)) return false;
    if (FtpReplyCode(replies[0]) >= 400) {
        // 550: the folder is not there (or not there for this user): said in plain words,
        // the server's own reply after them.
        error = FtpReplyCode(replies[0]) == 550
                    ? "No such folder: " + std::string(path) + " (" + replies[0] + ")"
                    : "The server refused the folder (" + replies[0] + ")";
        Scrub(error, options_.password);
        return false;
    }
    auto answered = ParsePwdReply({replies[1]});
    if (!answered) {
        error = "The server did not name its current folder";
        return false;
    }
    folder = *answered;
    return true;
}

bool FtpClient::FileFacts(std::string_view path, FtpFileFacts& facts, const Progress& progress,
                          std::string& error) {
    if (Sftp()) return SftpFileFacts(path, facts, progress, error);
    // SIZE counts bytes only in binary mode (some servers refuse it in ASCII mode).
    std::vector<std::string> replies;
    const std::string name(path);
    if (!Ask({"TYPE I", "SIZE " + name, "MDTM " + name}, progress, replies, error)) return false;
    facts.size = ParseSizeReply(replies[1]);
    facts.unixTime = ParseMdtmReply(replies[2]);
    if (!facts.size && !facts.unixTime) {
        error = "The server gave neither size nor time (" + replies[1] + ")";
        return false;
    }
    return true;
}

bool FtpClient::Noop(const Progress& progress, std::string& error) {
    if (Sftp()) return SftpCommands({"pwd"}, progress, error);
    return Commands({"NOOP"}, progress, error);
}

bool FtpClient::List(std::string_view folder, std::string& text, FtpListFormat& format,
                     const Progress& progress, std::string& error) {
    Operation op;
    op.url = PathUrl(folder, true);
    // SFTP folders come as "ls -l" lines, the form LIST has.
    format = features_.mlsd ? FtpListFormat::Mlsd : FtpListFormat::List;
    if (features_.mlsd) op.customRequest = "MLSD";
    text.clear();
    op.text = &text;
    op.progress = &progress;
    return Perform(op, error);
}

bool FtpClient::Download(std::string_view path, int fd, const Progress& progress,
                         std::string& error, int64_t resumeFrom) {
    Operation op;
    op.url = PathUrl(path, false);
    op.fd = fd;
    op.resumeFrom = resumeFrom;
    op.progress = &progress;
    return Perform(op, error);
}

bool FtpClient::Upload(std::string_view path, int fd, int64_t size, const Progress& progress,
                       std::string& error) {
    Operation op;
    op.url = PathUrl(path, false);
    op.upload = true;
    op.fd = fd;
    op.size = size;
    op.progress = &progress;
    return Perform(op, error);
}

bool FtpClient::Download(std::string_view path, platform::FsFile& file, const Progress& progress,
                         std::string& error) {
    Operation op;
    op.url = PathUrl(path, false);
    op.file = &file;
    op.progress = &progress;
    return Perform(op, error);
}

bool FtpClient::Upload(std::string_view path, platform::FsFile& file, int64_t size,
                       const Progress& progress, std::string& error) {
    Operation op;
    op.url = PathUrl(path, false);
    op.upload = true;
    op.file = &file;
    op.size = size;
    op.progress = &progress;
    return Perform(op, error);
}

bool FtpClient::Delete(std::string_view path, const Progress& progress, std::string& error) {
    if (Sftp()) return SftpCommands({"rm " + QuotedSftpPath(path)}, progress, error);
    return Commands({"DELE " + std::string(path)}, progress, error);
}

bool FtpClient::Rename(std::string_view from, std::string_view to, const Progress& progress,
                       std::string& error) {
    if (Sftp()) {
        return SftpCommands({"rename " + QuotedSftpPath(from) + " " + QuotedSftpPath(to)}, progress,
                            error);
    }
    return Commands({"RNFR " + std::string(from), "RNTO " + std::string(to)}, progress, error);
}

bool FtpClient::MakeFolder(std::string_view path, const Progress& progress, std::string& error) {
    if (Sftp()) return SftpCommands({"mkdir " + QuotedSftpPath(path)}, progress, error);
    return Commands({"MKD " + std::string(path)}, progress, error);
}

bool FtpClient::RemoveFolder(std::string_view path, const Progress& progress, std::string& error) {
    if (Sftp()) return SftpCommands({"rmdir " + QuotedSftpPath(path)}, progress, error);
    return Commands({"RMD " + std::string(path)}, progress, error);
}

bool FtpClient::Site(std::string_view command, const Progress& progress, std::string& error) {
    if (Sftp()) {
        error = "SFTP servers know no SITE commands";
        return false;
    }
    return Commands({"SITE " + std::string(command)}, progress, error);
}

bool FtpClient::CanSetModified() const {
    return Sftp() || features_.mfmt;
}

bool FtpClient::SetModified(std::string_view path, int64_t unixTime, const Progress& progress,
                            std::string& error) {
    if (Sftp()) {
        return SftpCommands({"mtime \"" + HttpDate(unixTime) + "\" " + QuotedSftpPath(path)},
                            progress, error);
    }
    if (!features_.mfmt) {
        error = "The server cannot set file times";
        return false;
    }
    return Commands({"MFMT " + MdtmStamp(unixTime) + " " + std::string(path)}, progress, error);
}

}  // namespace ferrolin
