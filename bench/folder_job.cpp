// A folder job of 10,000 files of 4 KiB in 100 subfolders with "Include Sub Directories",
// against rsync -a of the same tree: the first run, and a run with nothing to copy.
#include <cstdio>

#include "bench_util.h"
#include "common/log.h"
#include "station/run_driver.h"
#include "files/copy_status.h"
#include "station/station.h"
#include "station/station_config.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

constexpr int kFiles = 10000;
constexpr int kFolders = 100;
constexpr size_t kSize = 4096;
constexpr int kRounds = 5;

double RunFerrolin(const std::string& home, const std::string& src, const std::string& dst) {
    std::ofstream(home + "/Ferrolin.INI")
        << "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=bench\nActive=1\nParsingType=1\n"
        << "SendeVerzeichnis=" << src << "\nEmpfangsVerzeichnis=" << dst << "\n";
    NullSurfaces surfaces;
    Station station(home, surfaces);
    ReadConfig(station);
    return Seconds([&] { RunAllJobsManually(station, false); });
}

double RunRsync(const std::string& src, const std::string& dst) {
    return Seconds([&] {
        if (!Shell("rsync -a " + Quote(src + "/") + " " + Quote(dst + "/"))) std::puts("rsync failed");
    });
}

}  // namespace

int main() {
    // In memory by default: on a disk file system that has just deleted many files,
    // creating files costs whoever comes first or second very different times (the
    // allocator skips recently freed inodes), which says nothing about either tool.
    // FERROLIN_BENCH_DIR=/some/disk/folder measures on a disk.
    BenchRoot root(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
    std::printf("tree under %s\n", root.path().c_str());
    MakeTree(root / "src", kFiles, kFolders, kSize);
    Shell("sync");
    std::vector<double> oursFirst, rsyncFirst, oursNoop, rsyncNoop;
    for (int round = 0; round < kRounds; ++round) {
        const std::string tag = std::to_string(round);
        fs::create_directories(root / ("home" + tag));
        // Fresh destination folders each round, nothing deleted in between; the tools
        // take turns at going first.
        auto ours = [&] {
            oursFirst.push_back(
                RunFerrolin(root / ("home" + tag), root / "src", root / ("ours" + tag)));
            oursNoop.push_back(
                RunFerrolin(root / ("home" + tag), root / "src", root / ("ours" + tag)));
        };
        auto peer = [&] {
            rsyncFirst.push_back(RunRsync(root / "src", root / ("rsync" + tag)));
            rsyncNoop.push_back(RunRsync(root / "src", root / ("rsync" + tag)));
        };
        if (round % 2 == 0) {
            peer();
            ours();
        } else {
            ours();
            peer();
        }
    }
    const double f = Median(oursFirst), rf = Median(rsyncFirst);
    const double n = Median(oursNoop), rn = Median(rsyncNoop);
    std::printf("folder job, %d files x %zu bytes in %d folders (median of %d)\n", kFiles, kSize,
                kFolders, kRounds);
    std::printf("  first run:   ferrolin %.3f s   rsync -a %.3f s   ratio %.2f\n", f, rf, f / rf);
    std::printf("  no-op run:   ferrolin %.3f s   rsync -a %.3f s   ratio %.2f\n", n, rn, n / rn);
    return 0;
}
