// The mirror step of "Source is master" on 10,000 and on 100,000 files: listing the
// destination, comparing, and deleting the few orphans. Linear growth means the larger
// tree takes about ten times as long.
#include <cstdio>

#include "bench_util.h"
#include "engine/folder_mirror.h"
#include "engine/mirror_compare.h"
#include "files/copy_status.h"
#include "station/station.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

struct Figures {
    double step = 0;     // the whole mirror step
    double compare = 0;  // RemoveCommon alone
};

Figures Measure(const BenchRoot& root, int files) {
    const std::string dest = root / ("dest" + std::to_string(files));
    const std::string home = root / ("home" + std::to_string(files));
    MakeTree(dest, files, 100, 0);
    fs::create_directories(home);
    std::vector<std::string> counterparts;
    char name[64];
    for (int f = 0; f < files; ++f) {
        std::snprintf(name, sizeof name, "d%03d/f%06d.dat", f % 100, f);
        counterparts.push_back(name);
    }
    NullSurfaces surfaces;
    Station station(home, surfaces);
    TransferJob job;
    job.copyMode = CM_SourceIsMaster;
    job.destination = dest;
    std::vector<double> steps, compares;
    for (int round = 0; round < 3; ++round) {
        // Ten orphans per round, so the step has something to delete.
        for (int k = 0; k < 10; ++k)
            std::ofstream(dest + "/d000/orphan" + std::to_string(round * 10 + k) + ".dat") << "o";
        RunContext run = station.Context();
        MirrorCheck source;
        source.sourceFiles = counterparts.size();
        steps.push_back(
            Seconds([&] { MirrorFolderDestination(run, job, "", counterparts, source); }));
        std::vector<std::string> second = counterparts;
        compares.push_back(Seconds([&] { RemoveCommon(counterparts, second, false, &surfaces); }));
    }
    return {Median(steps), Median(compares)};
}

}  // namespace

int main() {
    BenchRoot root;
    const Figures small = Measure(root, 10000);
    const Figures large = Measure(root, 100000);
    std::printf("mirror step (median of 3): list destination, compare, delete 10 orphans\n");
    std::printf("  10,000 files:  step %.3f s   compare %.4f s\n", small.step, small.compare);
    std::printf("  100,000 files: step %.3f s   compare %.4f s\n", large.step, large.compare);
    std::printf("  growth x10 files: step x%.1f   compare x%.1f (linear = about 10)\n",
                large.step / small.step, large.compare / small.compare);
    return 0;
}
