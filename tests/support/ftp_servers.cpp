#include "support/ftp_servers.h"

#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdio>

#include "platform/net_socket.h"

namespace ferrolin::test {

namespace {

// The script sits beside this file in the source tree.
std::string ScriptPath() {
    return FERROLIN_TEST_SUPPORT_DIR "/ftp_test_server.py";
}

// An FTP server is up once it greets a new connection.
bool FtpGreets(uint16_t port) {
    std::string error;
    auto socket = platform::ConnectSocket("127.0.0.1", port, platform::SocketKind::Stream,
                                          std::chrono::milliseconds(200), error);
    if (!socket) return false;
    std::array<uint8_t, 256> buffer{};
    auto got = platform::ReceiveBytes(
        *socket, buffer, std::chrono::steady_clock::now() + std::chrono::milliseconds(500), error);
    return got && *got >= 4 && buffer[0] == '2' && buffer[1] == '2' && buffer[2] == '0';
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", b);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The server's own users (ftp, nobody) must reach the folder; "pub" is writable to all.
void MakeServedFolder(const TempDir& dir) {
    chmod(dir.path().c_str(), 0755);
    mkdir((dir / "root").c_str(), 0755);
    chmod((dir / "root").c_str(), 0755);
    mkdir((dir / "root/pub").c_str(), 0777);
    chmod((dir / "root/pub").c_str(), 0777);
}

std::string TlsSettings(const VsftpdOptions& options) {
    if (options.tlsCertificate.empty()) return {};
    return "ssl_enable=YES\n"
           "allow_anon_ssl=YES\n"
           "force_anon_logins_ssl=YES\n"
           "force_anon_data_ssl=YES\n"
           "require_ssl_reuse=YES\n"
           "ssl_ciphers=HIGH\n"
           "rsa_cert_file=" +
           options.tlsCertificate + "\nrsa_private_key_file=" + options.tlsKey +
           "\nimplicit_ssl=" + (options.implicitTls ? "YES" : "NO") + "\n";
}

}  // namespace

bool PyFtpServer::Available() {
    return IsExecutable("/usr/bin/python3") &&
           RunCommand({"/usr/bin/python3", "-c", "import pyftpdlib"}).exitCode == 0;
}

PyFtpServer::PyFtpServer(PyFtpOptions options)
    : LoopbackDaemon("pyftpdlib.log"), options_(std::move(options)) {
    MakeServedFolder(dir_);
    Start(
        false,
        [&](uint16_t port) {
            std::vector<std::string> argv = {"/usr/bin/python3",   ScriptPath(), "--port",
                                             std::to_string(port), "--dir",      Root()};
            if (!options_.user.empty()) {
                argv.insert(argv.end(), {"--user", options_.user, "--password", options_.password});
            }
            if (!options_.dos.empty()) argv.insert(argv.end(), {"--dos", options_.dos});
            if (!options_.refuse.empty()) argv.insert(argv.end(), {"--refuse", options_.refuse});
            if (options_.dropAfter >= 0) {
                argv.insert(argv.end(), {"--drop-after", std::to_string(options_.dropAfter)});
            }
            if (options_.stallAfter >= 0) {
                argv.insert(argv.end(), {"--stall-after", std::to_string(options_.stallAfter)});
            }
            if (options_.rate > 0)
                argv.insert(argv.end(), {"--rate", std::to_string(options_.rate)});
            if (!options_.extraNames.empty()) {
                std::string json = "[";
                for (size_t i = 0; i < options_.extraNames.size(); ++i) {
                    json += (i ? "," : "") + JsonString(options_.extraNames[i]);
                }
                argv.insert(argv.end(), {"--extra-names", json + "]"});
            }
            if (options_.cp1252) argv.push_back("--cp1252");
            if (!options_.garbageLine.empty()) {
                argv.insert(argv.end(), {"--garbage-line", options_.garbageLine});
            }
            if (options_.shortRetr) argv.push_back("--short-retr");
            if (options_.sizeLie != 0)
                argv.insert(argv.end(), {"--size-lie", std::to_string(options_.sizeLie)});
            if (options_.growAfterRetr) argv.push_back("--grow-after-retr");
            if (options_.refuseRenameOver) argv.push_back("--refuse-rename-over");
            if (options_.exitAfterRetr > 0) {
                argv.insert(argv.end(),
                            {"--exit-after-retr", std::to_string(options_.exitAfterRetr)});
            }
            if (!options_.secondUser.empty())
                argv.insert(argv.end(), {"--second-user", options_.secondUser});
            return argv;
        },
        FtpGreets);
}

// vsftpd serves each connection in a process of its own; they must go with the listener.
VsftpdServer::~VsftpdServer() {
    if (const pid_t pid = ProcessId(); pid > 0) kill(-pid, SIGTERM);
}

bool VsftpdServer::Available() {
    return IsExecutable("/usr/sbin/vsftpd");
}

VsftpdServer::VsftpdServer(VsftpdOptions options) : LoopbackDaemon("vsftpd.out") {
    MakeServedFolder(dir_);
    Start(
        false,
        [&](uint16_t port) {
            WriteFile(dir_ / "vsftpd.conf",
                      "listen=YES\n"
                      "listen_ipv6=NO\n"
                      "listen_address=127.0.0.1\n"
                      "listen_port=" +
                          std::to_string(port) +
                          "\n"
                          "background=NO\n"
                          "anonymous_enable=YES\n"
                          "local_enable=NO\n"
                          "write_enable=YES\n"
                          "anon_root=" +
                          Root() +
                          "\n"
                          "anon_upload_enable=YES\n"
                          "anon_mkdir_write_enable=YES\n"
                          "anon_other_write_enable=YES\n"
                          "anon_umask=022\n"
                          "allow_writeable_chroot=YES\n"
                          "seccomp_sandbox=NO\n"
                          "connect_from_port_20=NO\n"
                          "pasv_enable=YES\n"
                          "port_enable=YES\n"
                          "secure_chroot_dir=/var/run/vsftpd/empty\n"
                          "xferlog_enable=YES\n"
                          "log_ftp_protocol=YES\n"
                          "vsftpd_log_file=" +
                          dir_ / "vsftpd-protocol.log" +
                          "\n"
                          "utf8_filesystem=" +
                          (options.utf8 ? "YES" : "NO") +
                          "\n"
                          "idle_session_timeout=" +
                          std::to_string(options.idleTimeout) +
                          "\n"
                          "data_connection_timeout=30\n" +
                          TlsSettings(options));
            return std::vector<std::string>{"/usr/sbin/vsftpd", dir_ / "vsftpd.conf"};
        },
        // A server that speaks TLS from the first byte greets no plain client.
        options.implicitTls ? TcpPortAccepts : FtpGreets);
}

}  // namespace ferrolin::test
