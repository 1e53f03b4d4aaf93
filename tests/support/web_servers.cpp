#include "support/web_servers.h"

namespace ferrolin::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";

}  // namespace

bool TestHttpServer::Available() { return IsExecutable(kPython); }

TestHttpServer::TestHttpServer(const std::string& script) : LoopbackDaemon("http.log") {
    WriteFile(Folder() + "/.keep", "");
    Start(
        false,
        [&](uint16_t port) {
            return std::vector<std::string>{kPython, script, std::to_string(port), Folder()};
        },
        TcpPortAccepts);
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://" + Address() + path;
}

}  // namespace ferrolin::test
