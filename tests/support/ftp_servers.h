#pragma once
// FTP servers for tests, each on a free loopback port serving its own temporary folder:
// vsftpd (a real daemon with its own configuration; anonymous login with a writable
// folder, passive and active mode) and a scripted pyftpdlib server that can misbehave
// (DOS listings, refused commands, dropped or stalled transfers, hostile names,
// Windows-1252 names).
#include <cstdint>
#include <string>
#include <vector>

#include "support/time_servers.h"

namespace ferrolin::test {

struct PyFtpOptions {
    std::string user = "tester";  // empty: anonymous
    std::string password = "secret";
    std::string dos;                      // "12h" or "24h": DOS/IIS listings and "215 Windows_NT"
    std::string refuse;                   // e.g. "STOR,DELE,RNFR": answered with 550
    int64_t dropAfter = -1;               // bytes of data after which the connection is closed
    int64_t stallAfter = -1;              // bytes of data after which the data stops flowing
    int64_t rate = 0;                     // data bytes per second, 0 = unlimited
    std::vector<std::string> extraNames;  // listed in every folder, existing nowhere
    bool cp1252 = false;                  // Windows-1252 names, no UTF8 in FEAT
    std::string garbageLine;              // a line of no known form added to every listing
    bool shortRetr = false;               // RETR sends half of each file, and SIZE agrees
    int64_t sizeLie = 0;                  // SIZE answers this many bytes too many
    bool growAfterRetr = false;           // a file grows once it has been sent
    bool refuseRenameOver = false;        // RNTO onto an existing name is refused
    int exitAfterRetr = 0;                // the server ends after sending this many files
    std::string secondUser;  // "name:password:folder": a user at home in that subfolder
};

class PyFtpServer : public LoopbackDaemon {
  public:
    static bool Available();
    explicit PyFtpServer(PyFtpOptions options = {});
    // The served folder (the FTP root "/").
    std::string Root() const { return dir_ / "root"; }
    const PyFtpOptions& Options() const { return options_; }

  private:
    PyFtpOptions options_;
};

struct VsftpdOptions {
    bool utf8 = true;       // utf8_filesystem: announces UTF8
    int idleTimeout = 300;  // idle_session_timeout in seconds
    // TLS with this certificate and key (PEM), required for logon and data: explicit
    // ("AUTH TLS" after the greeting) or, with implicitTls, from the first byte.
    std::string tlsCertificate;
    std::string tlsKey;
    bool implicitTls = false;
};

// Anonymous login (any password). vsftpd refuses a root that its anonymous user may
// write to, so uploads go to the folder "/pub" (Root() + "/pub").
class VsftpdServer : public LoopbackDaemon {
  public:
    static bool Available();
    explicit VsftpdServer(VsftpdOptions options = {});
    ~VsftpdServer();
    std::string Root() const { return dir_ / "root"; }
    // The commands and replies vsftpd logged (Log() holds what it printed).
    std::string ProtocolLog() const { return ReadFile(dir_ / "vsftpd-protocol.log"); }
};

}  // namespace ferrolin::test
