// An FTP download job as the service runs it, the whole `ferrolin-cli run` process, beside
// `lftp -e mirror` fetching the same folder from the same vsftpd in the same run: 1,000
// files of 4 KiB into an empty folder (first run), and again with nothing changed (no-op
// run). Goals: first run at most 1.5 times lftp's time, no-op run at most 2 times.
// Set FERROLIN_BENCH_DIR to a folder on the file system to measure (default: in memory).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "bench_ftp.h"

using namespace ferrolin::bench;

namespace {

constexpr int kFiles = 1000;
constexpr size_t kSize = 4096;
constexpr int kRounds = 5;

std::string CliPath() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "ferrolin-cli").string();
}

void WriteJob(const std::string& home, const Vsftpd& server, const std::string& dest) {
    fs::create_directories(home);
    std::ofstream(home + "/Ferrolin.INI")
        << "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=bench\nActive=1\n"
        << "SendeVerzeichnis=" << server.Url("/pub/in") << "\nEmpfangsVerzeichnis=" << dest
        << "\nSourceLName=anonymous\nSourceLPassword=bench@example.com\nPassiveMode=1\n";
}

double RunFerrolin(const std::string& home) {
    return Seconds([&] {
        if (!Shell("FERROLIN_HOME=" + Quote(home) + " " + Quote(CliPath()) + " run >/dev/null"))
            std::puts("ferrolin-cli run failed");
    });
}

double RunLftp(const Vsftpd& server, const std::string& dest) {
    return Seconds([&] {
        if (!Shell("lftp -e " + Quote("set cmd:fail-exit yes; mirror /pub/in " + dest + "; quit") +
                   " -u anonymous,bench@example.com " + server.Url("") + " >/dev/null 2>&1"))
            std::puts("lftp mirror failed");
    });
}

}  // namespace

int main() {
    if (!fs::exists(CliPath()) || !Shell("command -v lftp >/dev/null")) {
        std::puts("ferrolin-cli or lftp missing");
        return 1;
    }
    // In memory by default, as the folder benchmark: fresh folders each round, nothing
    // deleted in between.
    BenchRoot root(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
    Vsftpd server(root / "server");
    const std::string in = root / "server/root/pub/in";
    fs::create_directories(in);
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%05d.dat", i);
        std::ofstream(in + name, std::ios::binary)
            << std::string(kSize, static_cast<char>('a' + i % 26));
        chmod((in + name).c_str(), 0644);
    }
    Shell("sync");

    std::vector<double> oursFirst, lftpFirst, oursNoop, lftpNoop;
    for (int round = 0; round < kRounds; ++round) {
        const std::string tag = std::to_string(round);
        auto ours = [&] {
            const std::string home = root / ("home" + tag);
            WriteJob(home, server, root / ("ours" + tag));
            oursFirst.push_back(RunFerrolin(home));
            oursNoop.push_back(RunFerrolin(home));
        };
        auto peer = [&] {
            lftpFirst.push_back(RunLftp(server, root / ("lftp" + tag)));
            lftpNoop.push_back(RunLftp(server, root / ("lftp" + tag)));
        };
        if (round % 2 == 0) {
            peer();
            ours();
        } else {
            ours();
            peer();
        }
    }
    size_t fetched = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root / "ours0")) ++fetched;
    const double f = Median(oursFirst), lf = Median(lftpFirst);
    const double n = Median(oursNoop), ln = Median(lftpNoop);
    std::printf(
        "FTP download job, %d files x %zu bytes from vsftpd on loopback (median of %d; %zu "
        "fetched)\n",
        kFiles, kSize, kRounds, fetched);
    std::printf(
        "  first run:  ferrolin-cli run %.3f s   lftp mirror %.3f s   ratio %.2f (goal <= 1.5)\n",
        f, lf, f / lf);
    std::printf(
        "  no-op run:  ferrolin-cli run %.3f s   lftp mirror %.3f s   ratio %.2f (goal <= 2)\n", n,
        ln, n / ln);
    return 0;
}
