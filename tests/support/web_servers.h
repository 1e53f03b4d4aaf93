#pragma once
// An HTTP server for tests on a free loopback port: serves the files of its folder and
// misbehaves on request (error status, redirects, a dropped connection, a large body); see
// http_test_server.py for the paths.
#include <string>

#include "support/time_servers.h"

namespace ferrolin::test {

class TestHttpServer : public LoopbackDaemon {
  public:
    static bool Available();
    // script: the path of http_test_server.py. With tls, it speaks HTTPS with a
    // certificate for 127.0.0.1 made for this server (see CertificateFile).
    explicit TestHttpServer(const std::string& script, bool tls = false);
    // The server's self-signed certificate: the CA file a client must trust.
    std::string CertificateFile() const { return dir_ / "cert.pem"; }
    // Where /files/NAME comes from.
    std::string Folder() const { return dir_ / "files"; }
    // "http://127.0.0.1:PORT" + path ("https://..." with tls).
    std::string Url(const std::string& path) const;

  private:
    bool tls_;
};

}  // namespace ferrolin::test
