// The parts of FtpClient that differ by scheme: TLS and its verification, SSH logon and
// host keys, and SFTP's counterparts of the FTP commands (libcurl's SFTP "quote"
// commands: pwd, rm, rename, mkdir, rmdir, mtime).
#include "protocols/ftp_client.h"
#include "protocols/ftp_client_operation.h"
#include "protocols/remote_command_text.h"

namespace ferrolin {

void FtpClient::ApplySecurity(CURL* curl, bool fileTime) {
    switch (options_.scheme) {
        case FtpScheme::Ftp:
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
            break;
        case FtpScheme::Ftpes:
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
            // TLS or nothing: a server that will not speak it fails the operation; the
            // password never goes out in the clear.
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            break;
        case FtpScheme::Ftps:
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftps");
            break;
        case FtpScheme::Sftp:
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "sftp");
            ApplyHostKeyCheck(curl, hostKey_);
            if (!options_.sshKeyFile.empty()) {
                curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES,
                                 static_cast<long>(CURLSSH_AUTH_PUBLICKEY));
                curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, options_.sshKeyFile.c_str());
                curl_easy_setopt(curl, CURLOPT_KEYPASSWD, options_.password.c_str());
            } else {
                curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES,
                                 static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            }
            break;
    }
    if (UsesTls(options_.scheme)) {
        // TLS 1.2 on control and data connections alike. Over TLS 1.3 this libcurl ends
        // an upload's data connection in a way common servers (vsftpd) take for a broken
        // stream: they answer 426 and keep a truncated file. A data connection must also
        // resume the control connection's TLS session, so both use the same version.
        curl_easy_setopt(curl, CURLOPT_SSLVERSION,
                         static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                             static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
        if (options_.learnIdentity) {
            // Only to see the certificate: nothing is trusted, and no logon goes out.
            StopAtPeerCertificate(curl, certificate_);
        } else {
            ApplyTlsTrust(curl, options_.tls);
        }
    }
    if (fileTime) curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
}

void FtpClient::NoteIdentity(CURL* curl, CURLcode code) {
    if (!UsesTls(options_.scheme)) return;
    tlsProblem_ = options_.learnIdentity ? TlsProblem::None : TlsProblemOf(curl, code);
}

FtpClient::ServerIdentity FtpClient::Identity() const {
    return {hostKey_.match, hostKey_.key, tlsProblem_, certificate_};
}

bool FtpClient::SftpOpen(const Progress& progress, std::string& error) {
    Operation op;
    op.url = BaseUrl();
    op.nobody = true;
    op.quote = {"pwd"};
    op.progress = &progress;
    if (!Perform(op, error)) return false;
    home_ = ParsePwdReply(op.replies).value_or("/");
    sftpFolder_ = home_;
    // SFTP names are bytes; servers on this kind of system write them in UTF-8.
    features_ = {};
    features_.utf8 = true;
    open_ = true;
    return true;
}

bool FtpClient::SftpCommands(const std::vector<std::string>& commands, const Progress& progress,
                             std::string& error) {
    Operation op;
    return CommandOperation(commands, "", progress, op, error) && Perform(op, error);
}

bool FtpClient::SftpFileFacts(std::string_view path, FtpFileFacts& facts, const Progress& progress,
                              std::string& error) {
    Operation op;
    op.url = PathUrl(path, false);
    op.nobody = true;
    op.fileTime = true;
    op.progress = &progress;
    if (!Perform(op, error)) return false;
    facts = {};
    if (op.contentLengthFound >= 0) facts.size = op.contentLengthFound;
    if (op.fileTimeFound >= 0) facts.unixTime = op.fileTimeFound;
    if (!facts.size && !facts.unixTime) {
        error = "The server gave neither size nor time of " + std::string(path);
        return false;
    }
    return true;
}

}  // namespace ferrolin
