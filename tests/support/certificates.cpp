#include "support/certificates.h"

#include <sys/stat.h>

#include "support/child_process.h"

namespace ferrolin::test {

bool MakeLoopbackCertificate(const std::string& certificateFile, const std::string& keyFile) {
    const CommandResult made =
        RunCommand({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days",
                    "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", keyFile, "-out", certificateFile});
    return made.exitCode == 0;
}

bool TestCertificates::Available() {
    return IsExecutable("/usr/bin/python3") &&
           RunCommand({"/usr/bin/python3", "-c", "import cryptography"}).exitCode == 0;
}

TestCertificates::TestCertificates(std::string folder) : folder_(std::move(folder)) {
    mkdir(folder_.c_str(), 0755);
    made_ = RunCommand({"/usr/bin/python3", FERROLIN_TEST_SUPPORT_DIR "/make_test_certificates.py",
                        folder_})
                .exitCode == 0;
}

}  // namespace ferrolin::test
