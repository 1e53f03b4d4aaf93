// The FTP session over SFTP and FTP with explicit TLS, on loopback, beside the peer tools
// in the same run: 1 GiB up and down against curl and OpenSSH's sftp -b (SFTP) and curl
// (FTPS); 1,000 x 4 KiB files uploaded (a first run) and the folder listed with each
// file's size and time (what a no-op run costs), beside plain FTP on vsftpd.
// Needs root (the SFTP user) and sshd, vsftpd, curl, sftp. Set FERROLIN_BENCH_DIR for
// another file system. Arguments pick sections: "sftp", "ftps", "small"; none: all.
#include <sys/stat.h>

#include <cstdio>
#include <string_view>

#include "bench_ftp.h"
#include "bench_secure.h"
#include "common/surfaces.h"
#include "remote/ftp_session.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

constexpr int kRuns = 3;
constexpr int kSmallFiles = 1000;

struct Timings {
    std::vector<double> up, down;
};

void Report(const char* what, const Timings& t, double mib) {
    std::printf("  %-22s up %7.3f s (%6.1f MiB/s)   down %7.3f s (%6.1f MiB/s)\n", what,
                Median(t.up), mib / Median(t.up), Median(t.down), mib / Median(t.down));
}

void Ratio(const char* peer, const Timings& ours, const Timings& theirs) {
    std::printf("  ratio session / %-14s up %.3f   down %.3f\n", peer,
                Median(ours.up) / Median(theirs.up), Median(ours.down) / Median(theirs.down));
}

// Each run: every tool once, up then down, the order turned round from run to run.
void Measure(std::vector<std::pair<Timings*, std::function<void(bool)>>> tools) {
    for (int run = 0; run < kRuns; ++run) {
        if (run % 2 == 1) std::reverse(tools.begin(), tools.end());
        for (auto& [timings, work] : tools) {
            sync();
            timings->up.push_back(Seconds([&] { work(true); }));
            sync();
            timings->down.push_back(Seconds([&] { work(false); }));
        }
    }
}

FtpLogon SftpLogon(const Sshd& server) {
    FtpLogon logon;
    logon.scheme = FtpScheme::Sftp;
    logon.host = server.Host();
    logon.user = Sshd::kUser;
    logon.password = Sshd::kPassword;
    return logon;
}

FtpLogon FtpsLogon(const FtpsVsftpd& server) {
    FtpLogon logon;
    logon.scheme = FtpScheme::Ftpes;
    logon.host = server.Host();
    logon.user = "anonymous";
    logon.password = "bench@example.com";
    return logon;
}

// Uploads kSmallFiles files of 4 KiB into folder, then lists it: ms per file for each.
void SmallFiles(const char* what, FtpSession& session, const std::string& small,
                const std::string& folder) {
    session.MakeDir(folder);
    const double up = Seconds([&] {
        for (int i = 0; i < kSmallFiles; ++i)
            session.SendFile(small, folder + "/s" + std::to_string(i), 4096);
    });
    const double list = Seconds([&] { session.ChangeDir(folder, true); });
    std::printf("  %-8s upload %6.2f ms/file   listing with sizes and times %6.3f ms/file (%zu)\n",
                what, up / kSmallFiles * 1000, list / kSmallFiles * 1000,
                session.RemoteFiles().size());
}

}  // namespace

int main(int argc, char** argv) {
    auto wanted = [&](const char* section) { return SectionWanted(argc, argv, section); };
    BenchRoot root;
    fs::create_directories(root / "trust");
    Sshd sshd(root / "sshd");
    FtpsVsftpd ftps(root / "ftps");
    std::ofstream(root / "trust/known_hosts") << sshd.KnownHostsLine();
    HostTrust trust(root / "trust");
    trust.caFile = ftps.CertificateFile();
    NullSurfaces surfaces;
    FtpSession session(surfaces);
    session.SetTrust(trust);

    const int64_t size = int64_t{1} << 30;
    const double mib = static_cast<double>(size) / (1 << 20);
    const std::string src = root / "source.bin";
    if (wanted("sftp") || wanted("ftps")) {
        MakePatternFile(src, size);
        Shell("cat " + Quote(src) + " > /dev/null");
    }

    if (wanted("sftp")) {
        if (!session.Connect(SftpLogon(sshd))) {
            std::printf("SFTP connect failed: %s\n", session.LastError().c_str());
            return 1;
        }
        const std::string remote = sshd.Root();
        const std::string sftpUrl = "sftp://" + sshd.Host() + remote;
        const std::string login = std::string(Sshd::kUser) + ":" + Sshd::kPassword;
        const std::string sftpTool = "sftp -q -i " + Quote(sshd.KeyFile()) + " -P " +
                                     std::to_string(sshd.Port()) +
                                     " -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null "
                                     "-b " +
                                     Quote(root / "batch") + " " + Sshd::kUser + "@127.0.0.1";
        Timings ours, curl, sftp;
        Measure({
            {&ours,
             [&](bool up) {
                 const bool ok = up ? session.SendFile(src, remote + "/ours.bin", size)
                                    : session.ReceiveFile(remote + "/ours.bin", root / "d1", size);
                 if (!ok) std::printf("session: %s\n", session.LastError().c_str());
             }},
            {&curl,
             [&](bool up) {
                 Shell("curl -s -k -u " + login +
                       (up ? " -T " + Quote(src) : " -o " + Quote(root / "d2")) + " " + sftpUrl +
                       "/curl.bin");
             }},
            {&sftp,
             [&](bool up) {
                 std::ofstream(root / "batch")
                     << (up ? "put " + src + " " + remote + "/sftp.bin\n"
                            : "get " + remote + "/sftp.bin " + (root / "d3") + "\n");
                 Shell(sftpTool);
             }},
        });
        std::printf("1 GiB over loopback SFTP (OpenSSH), median of %d runs\n", kRuns);
        Report("session", ours, mib);
        Report("curl", curl, mib);
        Report("sftp -b", sftp, mib);
        Ratio("curl", ours, curl);
        Ratio("sftp -b", ours, sftp);
        session.DisconnectFTP();
    }

    if (wanted("ftps")) {
        if (!session.Connect(FtpsLogon(ftps))) {
            std::printf("FTPS connect failed: %s\n", session.LastError().c_str());
            return 1;
        }
        const std::string curlTls =
            "curl -s --ssl-reqd --tls-max 1.2 --cacert " + Quote(ftps.CertificateFile()) + " ";
        const std::string url = "ftp://" + ftps.Host() + "/pub/curl.bin";
        Timings ours, curl;
        Measure({
            {&ours,
             [&](bool up) {
                 const bool ok = up ? session.SendFile(src, "/pub/ours.bin", size)
                                    : session.ReceiveFile("/pub/ours.bin", root / "d1", size);
                 if (!ok) std::printf("session: %s\n", session.LastError().c_str());
             }},
            {&curl,
             [&](bool up) {
                 Shell(curlTls + (up ? "-T " + Quote(src) : "-o " + Quote(root / "d2")) + " " +
                       url);
             }},
        });
        std::printf("1 GiB over loopback FTP with explicit TLS 1.2 (vsftpd), median of %d runs\n",
                    kRuns);
        Report("session", ours, mib);
        Report("curl", curl, mib);
        Ratio("curl", ours, curl);
        session.DisconnectFTP();
    }

    if (wanted("small")) {
        const std::string small = root / "small.bin";
        std::ofstream(small, std::ios::binary) << std::string(4096, 's');
        std::printf("%d x 4 KiB files, one session each\n", kSmallFiles);
        Vsftpd plain(root / "plain");
        session.ConnectToFTP("anonymous", "bench@example.com", plain.Host(), "21", true);
        SmallFiles("FTP", session, small, "/pub/small");
        session.DisconnectFTP();
        session.Connect(FtpsLogon(ftps));
        SmallFiles("FTPS", session, small, "/pub/small");
        session.DisconnectFTP();
        session.Connect(SftpLogon(sshd));
        SmallFiles("SFTP", session, small, sshd.Root() + "/small");
        session.DisconnectFTP();
        // OpenSSH's client putting the same files in one batch.
        std::ofstream batch(root / "batch");
        batch << "mkdir " << sshd.Root() << "/small_sftp\n";
        for (int i = 0; i < kSmallFiles; ++i)
            batch << "put " << small << " " << sshd.Root() << "/small_sftp/s" << i << "\n";
        batch.close();
        const double tool = Seconds([&] {
            Shell("sftp -q -i " + Quote(sshd.KeyFile()) + " -P " + std::to_string(sshd.Port()) +
                  " -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -b " +
                  Quote(root / "batch") + " " + Sshd::kUser + "@127.0.0.1");
        });
        std::printf("  sftp -b  upload %6.2f ms/file (one batch, one connection)\n",
                    tool / kSmallFiles * 1000);
    }
    return 0;
}
