#include "support/ssh_server.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/child_process.h"

namespace ferrolin::test {

namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";
constexpr const char* kKeygen = "/usr/bin/ssh-keygen";

// The test user exists with the test password. Two test programs may get here at once:
// useradd and chpasswd are tried again while the other holds the password files.
bool EnsureTestUser() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (getpwnam(SshServer::User()) == nullptr) {
            RunCommand({"/usr/sbin/useradd", "--system", "--no-create-home", "--home-dir",
                        "/nonexistent", "--shell", "/bin/sh", SshServer::User()});
        }
        const std::string line = std::string(SshServer::User()) + ":" + SshServer::Password();
        const CommandResult set = RunCommand(
            {"/bin/sh", "-c", "printf '%s\\n' \"$LINE\" | /usr/sbin/chpasswd"}, {{"LINE", line}});
        if (getpwnam(SshServer::User()) != nullptr && set.exitCode == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool MakeKey(const std::string& file, const std::string& type, const std::string& passphrase) {
    unlink(file.c_str());
    unlink((file + ".pub").c_str());
    return RunCommand(
               {kKeygen, "-q", "-t", type, "-N", passphrase, "-C", "ferrolin-test", "-f", file})
               .exitCode == 0;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

bool SshServer::Available() {
    return IsExecutable(kSshd) && IsExecutable(kKeygen) && geteuid() == 0 &&
           IsExecutable("/usr/sbin/useradd") && IsExecutable("/usr/sbin/chpasswd");
}

void SshServer::GiveToUser(const std::string& path) {
    const passwd* user = getpwnam(User());
    if (user == nullptr) return;
    RunCommand({"/bin/chown", "-R",
                std::to_string(user->pw_uid) + ":" + std::to_string(user->pw_gid), path});
}

bool SshServer::MakeHostKey() {
    return MakeKey(dir_ / "host_key", options_.hostKeyType, "");
}

SshServer::SshServer(SshServerOptions options) : LoopbackDaemon("sshd.log"), options_(options) {
    // sshd's privilege separation needs this folder; the package makes it only at boot.
    mkdir("/run/sshd", 0755);
    if (!EnsureTestUser() || !MakeHostKey() || !MakeKey(KeyFile(), "ed25519", "") ||
        !MakeKey(EncryptedKeyFile(), "ed25519", KeyPassphrase())) {
        return;  // never Ready()
    }
    WriteFile(dir_ / "authorized_keys",
              ReadFile(KeyFile() + ".pub") + ReadFile(EncryptedKeyFile() + ".pub"));
    // The user walks through the temporary folder to its own.
    chmod(dir_.path().c_str(), 0755);
    mkdir(Root().c_str(), 0755);
    GiveToUser(Root());
    Start(
        false,
        [&](uint16_t port) {
            WriteFile(dir_ / "sshd_config", "Port " + std::to_string(port) +
                                                "\n"
                                                "ListenAddress 127.0.0.1\n"
                                                "HostKey " +
                                                dir_ / "host_key" +
                                                "\n"
                                                "PidFile none\n"
                                                "UsePAM no\n"
                                                "PermitRootLogin no\n"
                                                "AllowUsers " +
                                                User() +
                                                "\n"
                                                "PasswordAuthentication yes\n"
                                                "KbdInteractiveAuthentication no\n"
                                                "PubkeyAuthentication yes\n"
                                                "AuthorizedKeysFile " +
                                                dir_ / "authorized_keys" +
                                                "\n"
                                                "StrictModes no\n"
                                                "AllowTcpForwarding no\n"
                                                "X11Forwarding no\n"
                                                "MaxStartups 50\n"
                                                "Subsystem sftp internal-sftp -d /\n"
                                                "ForceCommand internal-sftp -d /\n");
            return std::vector<std::string>{kSshd, "-D", "-e", "-f", dir_ / "sshd_config"};
        },
        TcpPortAccepts);
}

// The connections' own processes go with the listener (those that left its group end
// when their client does).
SshServer::~SshServer() {
    if (const pid_t pid = ProcessId(); pid > 0) kill(-pid, SIGTERM);
}

std::string SshServer::HostKeyFingerprint() const {
    // "256 SHA256:abc... ferrolin-test (ED25519)"
    const std::string line =
        RunCommand({kKeygen, "-l", "-E", "sha256", "-f", dir_ / "host_key.pub"}).output;
    const size_t start = line.find("SHA256:");
    if (start == std::string::npos) return {};
    return line.substr(start, line.find(' ', start) - start);
}

std::string SshServer::KnownHostsLine() const {
    // "type base64 comment" -> "[127.0.0.1]:port type base64"
    const std::string key = Trimmed(ReadFile(dir_ / "host_key.pub"));
    const size_t comment = key.rfind(' ');
    return "[127.0.0.1]:" + std::to_string(Port()) + " " + key.substr(0, comment);
}

bool SshServer::ChangeHostKey() {
    return MakeHostKey() && Restart();
}

}  // namespace ferrolin::test
