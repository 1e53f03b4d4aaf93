#pragma once
// A self-signed certificate for 127.0.0.1, for test servers that speak TLS. A client that
// trusts certificateFile as its CA bundle accepts the server; any other client refuses it.
#include <string>

namespace ferrolin::test {

// Writes certificateFile and keyFile (PEM) with openssl; false when that failed.
bool MakeLoopbackCertificate(const std::string& certificateFile, const std::string& keyFile);

}  // namespace ferrolin::test
