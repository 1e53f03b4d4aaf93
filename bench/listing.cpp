// Listing 100,000 files in 1,000 folders with sizes and times, against find.
#include <cstdio>

#include "bench_util.h"
#include "engine/folder_listing.h"

using namespace ferrolin;
using namespace ferrolin::bench;

int main() {
    BenchRoot root;
    const std::string tree = root / "tree";
    MakeTree(tree, 100000, 1000, 0);
    std::vector<double> ours, find, findStat;
    size_t count = 0;
    for (int round = 0; round < 5; ++round) {
        ours.push_back(Seconds([&] {
            SourceList list;
            ListFilesRecursive(tree + "/*.*", nullptr, list);
            count = list.size();
        }));
        find.push_back(Seconds([&] { Shell("find " + Quote(tree) + " -type f"); }));
        findStat.push_back(
            Seconds([&] { Shell("find " + Quote(tree) + " -type f -printf '%p\\t%s\\t%T@\\n'"); }));
    }
    const double o = Median(ours), f = Median(find), fs = Median(findStat);
    std::printf("listing %zu files in 1000 folders with sizes and times (median of 5)\n", count);
    std::printf("  ferrolin %.3f s   find -type f %.3f s (ratio %.2f)   find -printf size,time %.3f s "
                "(ratio %.2f)\n",
                o, f, o / f, fs, o / fs);
    return 0;
}
