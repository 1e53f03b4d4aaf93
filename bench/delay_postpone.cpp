// Postponing the deletion of 10,000 and of 100,000 orphans against a DelayDelete.txt that
// already holds as many lines, a tenth of them for orphans of this run. Linear growth
// means the larger case takes about ten times as long. The one-key-at-a-time walk is
// timed on the smaller case for comparison.
#include <cstdio>

#include "bench_util.h"
#include "engine/delayed_delete.h"
#include "engine/mirror_compare.h"
#include "station/station.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

struct Case {
    std::vector<std::string> existing;  // the lines already in the file
    std::vector<std::string> orphans;
};

Case MakeCase(const std::string& dest, int count) {
    Case c;
    char name[64];
    for (int k = 0; k < count; ++k) {
        std::snprintf(name, sizeof name, "d%03d/g%06d.dat", k % 100, k);
        c.orphans.push_back(name);
        // Every tenth line names an orphan of this run; the others name older files.
        if (k % 10 != 0) std::snprintf(name, sizeof name, "d%03d/f%06d.dat", k % 100, k);
        c.existing.push_back("2026-12-01 10:00:00\t" + dest + "/" + name);
    }
    return c;
}

struct Figures {
    double postpone = 0;  // PostponeDeletions: read, add, write the file
    double add = 0;       // the adding alone, in memory
};

Figures Measure(const BenchRoot& root, int count) {
    const std::string home = root / ("home" + std::to_string(count));
    const std::string dest = root / "dest";
    fs::create_directories(home);
    const Case c = MakeCase(dest, count);
    NullSurfaces surfaces;
    Station station(home, surfaces);
    std::vector<double> postpones, adds;
    for (int round = 0; round < 3; ++round) {
        {
            std::ofstream file(DelayDeletePath(station.Log), std::ios::binary);
            for (const std::string& line : c.existing) file << line << "\r\n";
        }
        postpones.push_back(
            Seconds([&] { PostponeDeletions(station.Log, station.clock(), dest, c.orphans); }));
        std::vector<std::string> lines = c.existing;
        adds.push_back(Seconds(
            [&] { AddEachUnlessListed(c.orphans, "2026-12-09 10:00:00\t" + dest + "/", lines); }));
    }
    return {Median(postpones), Median(adds)};
}

double OneAtATime(const std::string& dest, int count) {
    const Case c = MakeCase(dest, count);
    std::vector<std::string> lines = c.existing;
    const std::string prefix = "2026-12-09 10:00:00\t" + dest + "/";
    return Seconds([&] {
        for (const std::string& orphan : c.orphans) AddUnlessListed(orphan, prefix + orphan, lines);
    });
}

}  // namespace

int main() {
    BenchRoot root;
    const Figures small = Measure(root, 10000);
    const Figures large = Measure(root, 100000);
    const double walk = OneAtATime(root / "dest", 10000);
    std::printf("postponing N orphans against N lines (median of 3)\n");
    std::printf("  10,000:  postpone %.4f s   add %.4f s\n", small.postpone, small.add);
    std::printf("  100,000: postpone %.4f s   add %.4f s\n", large.postpone, large.add);
    std::printf("  growth x10: postpone x%.1f   add x%.1f (linear = about 10)\n",
                large.postpone / small.postpone, large.add / small.add);
    std::printf("  one key at a time, 10,000: %.3f s (x%.0f the batch)\n", walk, walk / small.add);
    return 0;
}
