// The FTP session on loopback against the curl command line on the same vsftpd server in
// the same run: 1 GiB up and down (ratios), many 4 KiB files (time per file beside curl
// moving the same files over one connection), and peak memory for 64 MiB against 1 GiB.
// Set FERROLIN_BENCH_DIR to a folder on the file system to measure (default /tmp).
// Arguments pick sections: "big", "passive", "active" (the small files in either mode),
// "memory"; none: all four.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>
#include <thread>

#include "bench_ftp.h"
#include "common/surfaces.h"
#include "remote/ftp_session.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

constexpr int kRuns = 5;
constexpr int kSmallFiles = 200;

bool Connect(FtpSession& session, const Vsftpd& server, bool passive = true) {
    return session.ConnectToFTP("anonymous", "bench@example.com", server.Host(), "21", passive);
}

// Peak resident memory growth (KiB) of a child that downloads path with a fresh session.
long PeakMemoryOfDownload(const Vsftpd& server, const std::string& remote, const std::string& local,
                          int64_t size) {
    return PeakGrowthInChild([&] {
        NullSurfaces surfaces;
        FtpSession session(surfaces);
        return Connect(session, server) && session.ReceiveFile(remote, local, size);
    });
}

double CpuSeconds(int who) {
    struct rusage usage {};
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The mean of the per-transfer times a curl command prints with -w, in milliseconds.
double CurlMsPerTransfer(const std::string& command) {
    FILE* out = popen((command + " 2>/dev/null").c_str(), "r");
    if (out == nullptr) return -1;
    double sum = 0;
    int count = 0;
    for (double seconds = 0; std::fscanf(out, "%lf", &seconds) == 1; ++count) sum += seconds;
    pclose(out);
    return count > 0 ? sum / count * 1000 : -1;
}

double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

}  // namespace

int main(int argc, char** argv) {
    auto wanted = [&](const char* section) { return SectionWanted(argc, argv, section); };
    BenchRoot root;
    Vsftpd server(root / "server");
    const std::string pub = root / "server/root/pub";
    const int64_t size = int64_t{1} << 30;
    const std::string src = root / "source.bin";
    MakePatternFile(src, size);
    MakePatternFile(pub + "/m64.bin", 64 << 20);
    chmod((pub + "/m64.bin").c_str(), 0644);
    Shell("cat " + Quote(src) + " > /dev/null");

    NullSurfaces surfaces;
    FtpSession session(surfaces);
    if (!Connect(session, server)) {
        std::printf("connect failed: %s\n", session.LastError().c_str());
        return 1;
    }
    // Wall time, and the CPU time the client spent (this process for the session; the
    // waited-for children, the shell and curl, for curl): a loaded machine stretches the
    // first, the second shows the client's own work. Every step starts with the dirty
    // pages of the one before written out: otherwise a fast upload leaves more unwritten
    // data behind, and the download after it is throttled by the kernel for it.
    std::vector<double> upOurs, upCurl, downOurs, downCurl;
    std::vector<double> upOursCpu, upCurlCpu, downOursCpu, downCurlCpu;
    auto measure = [](std::vector<double>& wall, std::vector<double>& cpu, int who,
                      const std::function<void()>& work) {
        sync();
        const double before = CpuSeconds(who);
        wall.push_back(Seconds(work));
        cpu.push_back(CpuSeconds(who) - before);
    };
    for (int run = 0; run < kRuns && wanted("big"); ++run) {
        auto ours = [&] {
            measure(upOurs, upOursCpu, RUSAGE_SELF, [&] {
                if (!session.SendFile(src, "/pub/up_ours.bin", size)) std::printf("send failed\n");
            });
            measure(downOurs, downOursCpu, RUSAGE_SELF, [&] {
                if (!session.ReceiveFile("/pub/up_ours.bin", root / "down_ours.bin", size)) {
                    std::printf("receive failed\n");
                }
            });
        };
        auto curl = [&] {
            measure(upCurl, upCurlCpu, RUSAGE_CHILDREN, [&] {
                Shell("curl -s -T " + Quote(src) + " " + server.Url("/pub/up_curl.bin"));
            });
            measure(downCurl, downCurlCpu, RUSAGE_CHILDREN, [&] {
                Shell("curl -s -o " + Quote(root / "down_curl.bin") + " " +
                      server.Url("/pub/up_curl.bin"));
            });
        };
        // Take turns at going first.
        if (run % 2 == 0) {
            ours();
            curl();
        } else {
            curl();
            ours();
        }
    }
    if (wanted("big")) {
        // The median shows the usual case, the best run the cost of the protocol path
        // with scheduling noise and the peer's occasional stalls left out.
        const double mib = static_cast<double>(size) / (1 << 20);
        auto line = [&](const char* what, const std::vector<double>& seconds) {
            std::printf("%-40s median %7.3f s (%7.1f MiB/s)  best %7.3f s\n", what, Median(seconds),
                        mib / Median(seconds), Best(seconds));
        };
        auto ratio = [&](const char* what, const std::vector<double>& ours,
                         const std::vector<double>& curl) {
            std::printf("ratio %s session / curl: median %.3f, best %.3f\n", what,
                        Median(ours) / Median(curl), Best(ours) / Best(curl));
        };
        std::printf("1 GiB over loopback FTP (vsftpd), %d runs each, taking turns\n", kRuns);
        line("session SendFile", upOurs);
        line("curl -T", upCurl);
        line("session ReceiveFile", downOurs);
        line("curl -o", downCurl);
        ratio("upload", upOurs, upCurl);
        ratio("download", downOurs, downCurl);
        std::printf(
            "client CPU time, median: upload session %.3f s, curl %.3f s; "
            "download session %.3f s, curl %.3f s\n",
            Median(upOursCpu), Median(upCurlCpu), Median(downOursCpu), Median(downCurlCpu));
    }

    // Many small files: what each costs, in both modes. Beside it, curl moving the same
    // files over one connection (in passive mode it waits up to a second before a data
    // connection whose EPSV answer came at once).
    const std::string small = root / "small.bin";
    std::ofstream(small, std::ios::binary | std::ios::trunc) << std::string(4096, 's');
    for (bool passive : {true, false}) {
        if (!wanted(passive ? "passive" : "active")) continue;
        const char* mode = passive ? "passive" : "active";
        session.DisconnectFTP();
        Connect(session, server, passive);
        const double up = Seconds([&] {
            for (int i = 0; i < kSmallFiles; ++i) {
                session.SendFile(small, "/pub/s" + std::to_string(i), 4096);
            }
        });
        const double down = Seconds([&] {
            for (int i = 0; i < kSmallFiles; ++i) {
                session.ReceiveFile("/pub/s" + std::to_string(i), root / "s.tmp", 4096);
            }
        });
        std::printf("%d x 4 KiB, %s, session: upload %.2f ms/file, download %.2f ms/file\n",
                    kSmallFiles, mode, up / kSmallFiles * 1000, down / kSmallFiles * 1000);
        std::string upArgs;
        std::string downArgs;
        for (int i = 0; i < kSmallFiles; ++i) {
            const std::string url = server.Url("/pub/c" + std::to_string(i));
            upArgs += " -T " + Quote(small) + " " + url;
            downArgs += " -o " + Quote(root / "c.tmp") + " " + url;
        }
        {
            const std::string curl =
                std::string("curl -s -w '%{time_total}\\n'") + (passive ? "" : " -P -");
            const double curlUp = CurlMsPerTransfer(curl + upArgs);
            const double curlDown = CurlMsPerTransfer(curl + downArgs);
            std::printf(
                "%d x 4 KiB, %s, curl on one connection: upload %.2f ms/file, "
                "download %.2f ms/file\n",
                kSmallFiles, mode, curlUp, curlDown);
        }
    }
    session.DisconnectFTP();
    if (!wanted("memory")) return 0;
    if (!fs::exists(pub + "/up_ours.bin")) {
        fs::copy_file(src, pub + "/up_ours.bin");
        chmod((pub + "/up_ours.bin").c_str(), 0644);
    }

    const long m64 = PeakMemoryOfDownload(server, "/pub/m64.bin", root / "m64.tmp", 64 << 20);
    const long g1 = PeakMemoryOfDownload(server, "/pub/up_ours.bin", root / "g1.tmp", size);
    std::printf("peak memory growth of a download: 64 MiB file %ld KiB, 1 GiB file %ld KiB\n", m64,
                g1);
    return 0;
}
