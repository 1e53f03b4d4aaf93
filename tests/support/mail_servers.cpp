#include "support/mail_servers.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "support/certificates.h"

namespace ferrolin::test {

namespace {

// The unprivileged user the mailbox belongs to (dovecot refuses to serve mail as root).
constexpr uid_t kMailUid = 65534;
constexpr gid_t kMailGid = 65534;

// Lines of text that are exactly line.
int CountLines(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    std::string each;
    int count = 0;
    while (std::getline(lines, each)) count += each == line ? 1 : 0;
    return count;
}

}  // namespace

std::string MakeMbox(const std::vector<std::string>& messages) {
    std::string mbox;
    for (const std::string& message : messages) {
        mbox += "From sender@example.org Thu Jan  1 00:00:00 2026\n";
        std::istringstream lines(message);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("From ", 0) == 0) mbox += '>';
            mbox += line + "\n";
        }
        mbox += "\n";
    }
    return mbox;
}

bool SmtpTestServer::Available() {
    return IsExecutable("/usr/bin/python3") &&
           RunCommand({"/usr/bin/python3", "-c", "import aiosmtpd"}).exitCode == 0;
}

SmtpTestServer::SmtpTestServer() : LoopbackDaemon("smtp.log") {
    WriteFile(dir_ / "mail/.keep", "");
    Start(
        false,
        [this](uint16_t port) {
            return std::vector<std::string>{"/usr/bin/python3",
                                            FERROLIN_TEST_SUPPORT_DIR "/smtp_test_server.py",
                                            std::to_string(port), dir_ / "mail"};
        },
        TcpPortAccepts);
}

std::vector<std::string> SmtpTestServer::Messages() const {
    std::vector<std::string> messages;
    for (int n = 1;; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "/%04d.eml", n);
        const std::string path = dir_ / "mail" + name;
        if (access(path.c_str(), F_OK) != 0) break;
        messages.push_back(ReadFile(path));
    }
    return messages;
}

bool DovecotServer::Available() {
    return IsExecutable("/usr/sbin/dovecot");
}

DovecotServer::DovecotServer(const std::vector<std::string>& messages, bool tls)
    : LoopbackDaemon("dovecot.log"), home_(dir_ / "home") {
    // The mail user must reach its home inside the temporary folder.
    chmod(dir_.path().c_str(), 0755);
    WriteFile(home_ + "/mbox", MakeMbox(messages));
    WriteFile(home_ + "/mail/.keep", "");
    for (const std::string& path :
         {home_, home_ + "/mbox", home_ + "/mail", home_ + "/mail/.keep"}) {
        if (chown(path.c_str(), kMailUid, kMailGid) != 0) return;
    }
    WriteFile(dir_ / "passwd", User() + ":{PLAIN}" + Password() + ":65534:65534::" + home_ + "\n");
    // Without a certificate the server is never Ready().
    if (tls && !MakeLoopbackCertificate(CertificateFile(), dir_ / "key.pem")) return;
    Start(
        false,
        [&](uint16_t port) {
            WriteFile(dir_ / "dovecot.conf", Configuration(port, tls));
            // -F: stay in the foreground, so that stopping the process stops the server.
            return std::vector<std::string>{"/usr/sbin/dovecot", "-F", "-c", dir_ / "dovecot.conf"};
        },
        TcpPortAccepts);
}

std::string DovecotServer::Configuration(uint16_t port, bool tls) const {
    const std::string listener =
        "    address = 127.0.0.1\n    port = " + std::to_string(port) + "\n";
    std::string conf;
    conf += "protocols = pop3\n";
    conf += "listen = 127.0.0.1\n";
    conf += "base_dir = " + dir_ / "run" + "\n";
    conf += "state_dir = " + dir_ / "state" + "\n";
    if (tls) {
        conf += "ssl = required\n";
        conf += "ssl_cert = <" + CertificateFile() + "\n";
        conf += "ssl_key = <" + dir_ / "key.pem" + "\n";
    } else {
        conf += "ssl = no\n";
    }
    conf += "disable_plaintext_auth = no\n";
    conf += "auth_mechanisms = plain login\n";
    conf += "auth_failure_delay = 0\n";
    conf += "log_path = /dev/stderr\n";
    conf += "passdb {\n  driver = passwd-file\n  args = " + dir_ / "passwd" + "\n}\n";
    conf += "userdb {\n  driver = passwd-file\n  args = " + dir_ / "passwd" + "\n}\n";
    conf += "mail_location = mbox:~/mail:INBOX=~/mbox\n";
    conf += "service pop3-login {\n";
    conf += "  inet_listener pop3 {\n" + (tls ? "    port = 0\n" : listener) + "  }\n";
    conf += "  inet_listener pop3s {\n" + (tls ? listener + "    ssl = yes\n" : "    port = 0\n") +
            "  }\n";
    conf += "}\n";
    return conf;
}

bool Pop3TestPeer::Available() {
    return IsExecutable("/usr/bin/python3");
}

Pop3TestPeer::Pop3TestPeer(uint16_t targetPort, size_t cutAfter) : LoopbackDaemon("peer.log") {
    StartPeer({"proxy", std::to_string(targetPort), std::to_string(cutAfter)});
}

Pop3TestPeer::Pop3TestPeer(const std::string& message, bool stall) : LoopbackDaemon("peer.log") {
    WriteFile(dir_ / "message.eml", message);
    StartPeer({stall ? "stall" : "trickle", dir_ / "message.eml"});
}

void Pop3TestPeer::StartPeer(std::vector<std::string> arguments) {
    const std::string script = std::string(FERROLIN_TEST_SUPPORT_DIR) + "/pop3_test_peer.py";
    Start(
        false,
        [&](uint16_t port) {
            std::vector<std::string> command{"/usr/bin/python3", script, std::to_string(port)};
            command.insert(command.end(), arguments.begin(), arguments.end());
            return command;
        },
        TcpPortAccepts);
}

void Pop3TestPeer::Cut() {
    const int before = Cuts();
    kill(ProcessId(), SIGUSR1);
    WaitFor([&] { return Cuts() > before; });
}

int Pop3TestPeer::Cuts() const {
    return CountLines(Log(), "cut");
}

int Pop3TestPeer::Retrievals() const {
    return CountLines(Log(), "RETR");
}

std::string DovecotServer::Mailbox() const {
    return ReadFile(home_ + "/mbox");
}

}  // namespace ferrolin::test
