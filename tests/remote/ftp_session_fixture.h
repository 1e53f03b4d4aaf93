#pragma once
// Shared pieces of the FTP session tests: a face that lets a test act while the session
// pumps messages, and the servers the flows run against.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <functional>
#include <memory>
#include <string>

#include "remote/ftp_session.h"
#include "support/ftp_servers.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

// RecordingSurfaces that runs onPump whenever the session pumps messages (the place
// where a window's Cancel click would be handled).
class PumpSurfaces : public RecordingSurfaces {
  public:
    void ProcessMessages() override {
        RecordingSurfaces::ProcessMessages();
        if (onPump) onPump();
    }
    std::function<void()> onPump;
};

// The session shows its status texts and transfer progress on face, as the program's
// start-up arranges it with the main window's status bar and gauge.
inline void AttachToFace(FtpSession& session, Surfaces& face) {
    session.SetStatusbar(&face);
    session.SetGauge(&face);
}

// One FTP server under test, with what a session needs to reach it. Uploads and
// downloads happen in "/pub" (LocalDir() on this machine).
struct FtpPeer {
    std::string name;
    std::unique_ptr<PyFtpServer> py;
    std::unique_ptr<VsftpdServer> vs;
    std::string root;  // local folder behind "/"
    std::string user;
    std::string password;
    bool passive = true;

    const LoopbackDaemon& daemon() const {
        return py ? static_cast<const LoopbackDaemon&>(*py) : *vs;
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(daemon().Port()); }
    std::string LocalDir() const { return root + "/pub"; }
    bool Connect(FtpSession& session) const {
        return session.ConnectToFTP(user, password, Host(), "21", passive);
    }
};

inline FtpPeer StartPyFtp(PyFtpOptions options = {}) {
    FtpPeer peer;
    peer.name = "pyftpdlib";
    peer.user = options.user;
    peer.password = options.password;
    peer.py = std::make_unique<PyFtpServer>(std::move(options));
    peer.root = peer.py->Root();
    return peer;
}

inline FtpPeer StartVsftpd(bool passive = true, VsftpdOptions options = {}) {
    FtpPeer peer;
    peer.name = passive ? "vsftpd" : "vsftpd-active";
    peer.user = "anonymous";
    peer.password = "tests@example.com";
    peer.passive = passive;
    peer.vs = std::make_unique<VsftpdServer>(options);
    peer.root = peer.vs->Root();
    return peer;
}

// A file with a given modification time (seconds since 1970).
inline void WriteFileAt(const std::string& path, const std::string& content, int64_t unixTime) {
    WriteFile(path, content);
    chmod(path.c_str(), 0644);
    timeval times[2] = {{unixTime, 0}, {unixTime, 0}};
    utimes(path.c_str(), times);
}

inline int64_t LocalFileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// A sparse file of size bytes (zeros): large transfers without filling the disk.
inline void MakeSparseFile(const std::string& path, int64_t size) {
    WriteFile(path, "");
    if (truncate(path.c_str(), size) != 0) ADD_FAILURE() << "truncate " << path;
    chmod(path.c_str(), 0644);
}

}  // namespace ferrolin::test
