#pragma once
// A real SMB server for tests: smbd in the foreground on a free loopback port, with a
// private configuration and state in a temporary folder, one user and three shares:
// "share" (writable), "readonly" and "closed" (no user of ours may enter it).
//
// smbd binds its port with SO_REUSEPORT, so a second server on a port already in use would
// start without complaint and take half the connections: each server checks that nobody
// listens on its port first. smbd is its own process group (never started with
// --no-process-group, which would make it kill the test runner on SIGTERM).
#include <string>

#include "support/time_servers.h"

namespace ferrolin::test {

class SambaServer : public LoopbackDaemon {
  public:
    static bool Available();
    SambaServer();
    ~SambaServer();

    std::string User() const { return "tester"; }
    std::string Password() const { return "Secr3t"; }
    // The folder a share serves, on this computer.
    std::string ShareFolder() const { return dir_ / "share"; }
    std::string ReadOnlyFolder() const { return dir_ / "readonly"; }
    // //127.0.0.1:port/share, the way a job names it.
    std::string SharePath(const std::string& share = "share") const;
    // A folder for HOME while libsmbclient runs (it reads ~/.smb/smb.conf).
    std::string Home() const { return dir_ / "home"; }

    // Ends smbd and its children at once (SIGKILL to the process group).
    void Kill();
    // Stops smbd and its children where they stand (SIGSTOP to the group): connections
    // stay open and nothing answers. Thaw lets them go on.
    void Freeze();
    void Thaw();
    // Starts smbd again on the same port, with the same shares.
    using LoopbackDaemon::Restart;

  private:
    bool AddUser(const std::string& conf) const;
    std::string Configuration(uint16_t port) const;
};

// Sets HOME to folder while it lives, and puts the old value back.
class ScopedHome {
  public:
    explicit ScopedHome(const std::string& folder);
    ~ScopedHome();
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

  private:
    std::string old_;
    bool had_ = false;
};

}  // namespace ferrolin::test
