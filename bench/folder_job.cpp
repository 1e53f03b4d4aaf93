// A folder job of 10,000 files of 4 KiB in 100 subfolders with "Include Sub Directories",
// run as a user runs it (the whole ferrolin-cli run process) beside rsync -a of the same
// tree: the first run, and a run with nothing to copy. Measured on the file system of the
// benchmark folder: FERROLIN_BENCH_DIR when set, else on /tmp (a disk here) and on
// /dev/shm (memory). Also the system calls of the no-op run per unchanged file.
#include <cstdio>

#include "bench_process.h"
#include "bench_util.h"

using namespace ferrolin::bench;

namespace {

constexpr int kFiles = 10000;
constexpr int kFolders = 100;
constexpr size_t kSize = 4096;
constexpr int kRounds = 5;

struct Ferrolin {
    std::string home;
    std::vector<std::string> Argv() const { return {CliPath(), "run"}; }
    std::vector<std::string> Environment() const { return {"FERROLIN_HOME=" + home}; }
};

Ferrolin JobFolder(const std::string& home, const std::string& src, const std::string& dst) {
    fs::create_directories(home);
    std::ofstream(home + "/Ferrolin.INI")
        << "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=bench\nActive=1\nParsingType=1\n"
        << "SendeVerzeichnis=" << src << "\nEmpfangsVerzeichnis=" << dst << "\n";
    return {home};
}

double RunOurs(const Ferrolin& ours) {
    const double t = TimeProcess(ours.Argv(), ours.Environment());
    if (t < 0) std::puts("ferrolin-cli run failed");
    return t;
}

double RunRsync(const std::string& src, const std::string& dst) {
    const double t = TimeProcess({"/usr/bin/rsync", "-a", src + "/", dst + "/"});
    if (t < 0) std::puts("rsync failed");
    return t;
}

void Measure(const std::string& base) {
    setenv("FERROLIN_BENCH_DIR", base.c_str(), 1);
    BenchRoot root;
    MakeTree(root / "src", kFiles, kFolders, kSize);
    Shell("sync");
    std::vector<double> oursFirst, rsyncFirst, oursNoop, rsyncNoop;
    for (int round = 0; round < kRounds; ++round) {
        const std::string tag = std::to_string(round);
        // Fresh destination folders each round, nothing deleted in between; the tools
        // take turns at going first.
        const Ferrolin ours = JobFolder(root / ("home" + tag), root / "src", root / ("ours" + tag));
        auto runOurs = [&] {
            oursFirst.push_back(RunOurs(ours));
            oursNoop.push_back(RunOurs(ours));
        };
        auto runPeer = [&] {
            rsyncFirst.push_back(RunRsync(root / "src", root / ("rsync" + tag)));
            rsyncNoop.push_back(RunRsync(root / "src", root / ("rsync" + tag)));
        };
        if (round % 2 == 0) {
            runPeer();
            runOurs();
        } else {
            runOurs();
            runPeer();
        }
    }
    // System calls of a no-op run, less those of a no-op run over an empty tree.
    fs::create_directories(root / "empty");
    const long full =
        CountSystemCalls(JobFolder(root / "home0", root / "src", root / "ours0").Argv(),
                         {"FERROLIN_HOME=" + root / "home0"});
    const Ferrolin none = JobFolder(root / "home-empty", root / "empty", root / "ours-empty");
    RunOurs(none);
    const long empty = CountSystemCalls(none.Argv(), none.Environment());

    const double f = Median(oursFirst), rf = Median(rsyncFirst);
    const double n = Median(oursNoop), rn = Median(rsyncNoop);
    std::printf("folder job under %s: %d files x %zu bytes in %d folders (median of %d)\n",
                base.c_str(), kFiles, kSize, kFolders, kRounds);
    std::printf("  first run:   ferrolin-cli run %.3f s   rsync -a %.3f s   ratio %.2f\n", f, rf,
                f / rf);
    std::printf("  no-op run:   ferrolin-cli run %.3f s   rsync -a %.3f s   ratio %.2f\n", n, rn,
                n / rn);
    if (full >= 0 && empty >= 0)
        std::printf("  no-op run:   %.2f system calls per unchanged file\n",
                    static_cast<double>(full - empty) / kFiles);
}

}  // namespace

int main() {
    if (const char* chosen = std::getenv("FERROLIN_BENCH_DIR")) {
        Measure(chosen);
        return 0;
    }
    // A disk and memory: on a disk the first run also waits for the file system; in memory
    // only the programs' own work shows.
    Measure("/tmp");
    if (fs::is_directory("/dev/shm")) Measure("/dev/shm");
    return 0;
}
