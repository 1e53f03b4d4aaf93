#pragma once
// Certificates for test servers that speak TLS. A client that trusts certificateFile (or
// the test CA) as its CA bundle accepts the server; any other client refuses it.
#include <string>

namespace ferrolin::test {

// Writes certificateFile and keyFile (PEM) with openssl; false when that failed.
bool MakeLoopbackCertificate(const std::string& certificateFile, const std::string& keyFile);

// A test CA and server certificates it signed, in folder (see make_test_certificates.py):
// Certificate("good") is valid for 127.0.0.1, "expired" expired yesterday, "wronghost"
// names another host, "selfsigned" is its own issuer. Each has Key(name).
class TestCertificates {
  public:
    // Makes them; Made() says whether that worked.
    explicit TestCertificates(std::string folder);
    static bool Available();
    bool Made() const { return made_; }
    std::string CaFile() const { return folder_ + "/ca.pem"; }
    std::string Certificate(const std::string& name) const { return folder_ + "/" + name + ".pem"; }
    std::string Key(const std::string& name) const { return folder_ + "/" + name + ".key"; }

  private:
    std::string folder_;
    bool made_ = false;
};

}  // namespace ferrolin::test
