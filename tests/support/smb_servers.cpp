#include "support/smb_servers.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace ferrolin::test {

namespace {

constexpr const char* kSmbd = "/usr/sbin/smbd";
constexpr const char* kSmbPasswd = "/usr/bin/smbpasswd";

}  // namespace

bool SambaServer::Available() {
    return IsExecutable(kSmbd) && IsExecutable(kSmbPasswd) && geteuid() == 0;
}

std::string SambaServer::Configuration(uint16_t port) const {
    const std::string& d = dir_.path();
    return "[global]\n"
           "    server role = standalone server\n"
           "    workgroup = WORKGROUP\n"
           "    smb ports = " +
           std::to_string(port) +
           "\n"
           "    bind interfaces only = yes\n"
           "    interfaces = lo 127.0.0.1\n"
           "    disable netbios = yes\n"
           "    load printers = no\n"
           "    printcap name = /dev/null\n"
           "    disable spoolss = yes\n"
           "    private dir = " +
           d +
           "/private\n"
           "    lock directory = " +
           d +
           "/lock\n"
           "    state directory = " +
           d +
           "/state\n"
           "    cache directory = " +
           d +
           "/cache\n"
           "    pid directory = " +
           d +
           "/pid\n"
           "    ncalrpc dir = " +
           d +
           "/ncalrpc\n"
           "    log file = " +
           d +
           "/log/log.%m\n"
           "    passdb backend = tdbsam:" +
           d +
           "/private/passdb.tdb\n"
           "    username map = " +
           d +
           "/users.map\n"
           "    map to guest = never\n"
           "    server min protocol = SMB2_02\n"
           "    map archive = no\n"
           "[share]\n"
           "    path = " +
           d +
           "/share\n"
           "    read only = no\n"
           "[readonly]\n"
           "    path = " +
           d +
           "/readonly\n"
           "    read only = yes\n"
           "[closed]\n"
           "    path = " +
           d +
           "/readonly\n"
           "    valid users = nobody\n";
}

bool SambaServer::AddUser(const std::string& conf) const {
    // The password goes through a pipe, never on a command line.
    const std::string command = std::string(kSmbPasswd) + " -c " + conf + " -s -a root >" +
                                (dir_ / "smbpasswd.log") + " 2>&1";
    FILE* pipe = popen(command.c_str(), "w");
    if (pipe == nullptr) return false;
    const std::string answer = Password() + "\n" + Password() + "\n";
    fwrite(answer.data(), 1, answer.size(), pipe);
    return pclose(pipe) == 0;
}

SambaServer::SambaServer() : LoopbackDaemon("smbd.log") {
    for (const char* sub : {"private", "lock", "state", "cache", "pid", "log", "ncalrpc", "share",
                            "readonly", "home/.smb"}) {
        WriteFile(dir_ / (std::string(sub) + "/.keep"), "");
        unlink((dir_ / (std::string(sub) + "/.keep")).c_str());
    }
    WriteFile(dir_ / "users.map", "root = " + User() + "\n");
    const std::string conf = dir_ / "smb.conf";
    // The user is added before a port is chosen (smbd reads no port 0).
    WriteFile(conf, Configuration(445));
    if (!AddUser(conf)) return;
    // smbd makes a session of its own, and so a process group whose id is its pid.
    ownGroup_ = false;
    Start(
        false,
        [this, conf](uint16_t port) -> std::vector<std::string> {
            WriteFile(conf, Configuration(port));
            // A port someone already listens on would be shared silently: leave it.
            if (TcpPortAccepts(port)) return {"/bin/false"};
            return {kSmbd, "--foreground", "--debug-stdout", "-d", "1", "-s", conf};
        },
        TcpPortAccepts);
}

SambaServer::~SambaServer() {
    const pid_t pid = ProcessId();
    // smbd ends its children on SIGTERM; children of a killed one are ended here, and a
    // frozen one is let go first so that it can.
    if (pid > 0) {
        kill(-pid, SIGCONT);
        kill(-pid, SIGTERM);
    }
}

void SambaServer::Freeze() {
    if (const pid_t pid = ProcessId(); pid > 0) kill(-pid, SIGSTOP);
}

void SambaServer::Thaw() {
    if (const pid_t pid = ProcessId(); pid > 0) kill(-pid, SIGCONT);
}

std::string SambaServer::SharePath(const std::string& share) const {
    return "//127.0.0.1:" + std::to_string(Port()) + "/" + share;
}

void SambaServer::Kill() {
    const pid_t pid = ProcessId();
    if (pid <= 0) return;
    kill(-pid, SIGKILL);
    WaitFor([&] { return !TcpPortAccepts(Port()); }, std::chrono::seconds(5));
}

ScopedHome::ScopedHome(const std::string& folder) {
    if (const char* home = std::getenv("HOME")) {
        old_ = home;
        had_ = true;
    }
    setenv("HOME", folder.c_str(), 1);
}

ScopedHome::~ScopedHome() {
    if (had_) {
        setenv("HOME", old_.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
}

}  // namespace ferrolin::test
