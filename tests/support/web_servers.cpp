#include "support/web_servers.h"

#include "support/certificates.h"

namespace ferrolin::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";

}  // namespace

bool TestHttpServer::Available() {
    return IsExecutable(kPython) && IsExecutable("/usr/bin/openssl");
}

TestHttpServer::TestHttpServer(const std::string& script, bool tls)
    : LoopbackDaemon("http.log"), tls_(tls) {
    WriteFile(Folder() + "/.keep", "");
    if (tls) {
        // Without a certificate the server is never Ready().
        if (!MakeLoopbackCertificate(CertificateFile(), dir_ / "key.pem")) return;
    }
    Start(
        false,
        [&](uint16_t port) {
            std::vector<std::string> command{kPython, script, std::to_string(port), Folder()};
            if (tls_) {
                command.push_back(CertificateFile());
                command.push_back(dir_ / "key.pem");
            }
            return command;
        },
        TcpPortAccepts);
}

std::string TestHttpServer::Url(const std::string& path) const {
    return (tls_ ? "https://" : "http://") + Address() + path;
}

}  // namespace ferrolin::test
