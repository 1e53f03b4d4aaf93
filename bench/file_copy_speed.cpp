// The copier on a 1 GiB file with a warm page cache, side by side with the peer tools:
// the worker path against cp, the unbuffered path (WriteMode 1) against
// dd bs=64k oflag=direct, the peak memory of a copy against the file size, and what
// durability costs: a durable copy (file and folder flushed) of the large file against cp
// followed by sync of the file, and of many small files against rsync --fsync, plus the
// durable move (durable copy, then the source deleted) of those small files.
// Set FERROLIN_BENCH_DIR to a folder on the file system to measure (default /tmp).
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

#include "bench_util.h"
#include "files/file_copy.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

constexpr int kRuns = 5;

void MakeFile(const std::string& path, int64_t size) {
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) ^ (i >> 9));
    std::ofstream out(path, std::ios::binary);
    for (int64_t done = 0; done < size; done += static_cast<int64_t>(block.size())) out << block;
}

void Warm(const std::string& path) {
    Shell("cat " + Quote(path) + " > /dev/null");
}

// Each timed run starts from a quiet disk: the previous copy removed and written back,
// so no run pays for another's write-back.
void Settle(const std::string& dst) {
    std::error_code ec;
    fs::remove(dst, ec);
    ::sync();
}

double TimeOurs(CopyContext& copy, const std::string& src, const std::string& dst,
                uint8_t writeMode, int32_t flags = 0) {
    Settle(dst);
    return Seconds([&] {
        if (FileCopy(copy, src, dst, {}, CopyProgressRoutine, 0, cfForce | flags, writeMode) !=
            crCopied) {
            std::printf("copy failed: %s\n", copy.Status.StatusStr.c_str());
        }
    });
}

double TimeTool(const std::string& command, const std::string& dst) {
    Settle(dst);
    return Seconds([&] {
        if (!Shell(command)) std::printf("failed: %s\n", command.c_str());
    });
}

// Peak resident memory (KiB) of a child process that copies src with writeMode.
long PeakMemoryOfCopy(CopyContext& copy, const std::string& src, const std::string& dst,
                      uint8_t writeMode) {
    return PeakGrowthInChild([&] {
        FileCopy(copy, src, dst, {}, CopyProgressRoutine, 0, cfForce, writeMode);
        return true;
    });
}

constexpr int kSmallFiles = 200;
constexpr size_t kSmallSize = 64 << 10;

// Copies every file of the folder from into a fresh folder to (with flags), deleting each
// source afterwards when move is set; the sources are made again first.
double TimeSmallFiles(CopyContext& copy, const std::string& from, const std::string& to,
                      int32_t flags, bool move) {
    std::error_code ec;
    fs::remove_all(to, ec);
    fs::create_directories(to);
    if (move) MakeTree(from, kSmallFiles, 1, kSmallSize);
    ::sync();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(from + "/d000"))
        names.push_back(entry.path().filename());
    return Seconds([&] {
        for (const std::string& name : names) {
            const std::string source = from + "/d000/" + name;
            if (FileCopy(copy, source, to + "/" + name, {}, CopyProgressRoutine, 0, cfForce | flags,
                         wmSystemCopy) != crCopied) {
                std::printf("copy failed: %s\n", copy.Status.StatusStr.c_str());
            } else if (move) {
                fs::remove(source, ec);
            }
        }
    });
}

double TimeSmallTool(const std::string& command, const std::string& to) {
    std::error_code ec;
    fs::remove_all(to, ec);
    ::sync();
    return Seconds([&] {
        if (!Shell(command)) std::printf("failed: %s\n", command.c_str());
    });
}

void MeasureDurability(CopyContext& copy, const BenchRoot& root, const std::string& src,
                       const std::string& dst) {
    std::vector<double> plain, durable, cpSync;
    for (int run = 0; run < 3; ++run) {
        plain.push_back(TimeOurs(copy, src, dst, wmSystemCopy));
        durable.push_back(TimeOurs(copy, src, dst, wmSystemCopy, cfDurable));
        cpSync.push_back(
            TimeTool("cp " + Quote(src) + " " + Quote(dst) + " && sync " + Quote(dst), dst));
    }
    std::printf("\n1 GiB, durable, median of 3 runs\n");
    std::printf("%-34s %7.3f s\n", "FileCopy worker path", Median(plain));
    std::printf("%-34s %7.3f s\n", "FileCopy durable (DurableCopies=1)", Median(durable));
    std::printf("%-34s %7.3f s\n", "cp && sync FILE", Median(cpSync));
    std::printf("ratio durable / plain:           %.3f\n", Median(durable) / Median(plain));
    std::printf("ratio durable / cp && sync:      %.3f\n", Median(durable) / Median(cpSync));

    const std::string many = root / "many";
    const std::string moved = root / "moved";
    MakeTree(many, kSmallFiles, 1, kSmallSize);
    std::vector<double> smallPlain, smallDurable, smallMove, rsyncPlain, rsyncFsync;
    const std::string rsync = "rsync -a " + Quote(many + "/d000/") + " " + Quote(dst + ".d/");
    for (int run = 0; run < 3; ++run) {
        smallPlain.push_back(TimeSmallFiles(copy, many, dst + ".d", 0, false));
        smallDurable.push_back(TimeSmallFiles(copy, many, dst + ".d", cfDurable, false));
        smallMove.push_back(TimeSmallFiles(copy, moved, dst + ".d", cfDurable, true));
        rsyncPlain.push_back(TimeSmallTool(rsync, dst + ".d"));
        rsyncFsync.push_back(TimeSmallTool(
            "rsync --fsync -a " + Quote(many + "/d000/") + " " + Quote(dst + ".d/"), dst + ".d"));
    }
    std::printf("\n%d files of %zu KiB, median of 3 runs\n", kSmallFiles, kSmallSize >> 10);
    std::printf("%-34s %7.3f s\n", "FileCopy each file", Median(smallPlain));
    std::printf("%-34s %7.3f s\n", "FileCopy each file durable", Median(smallDurable));
    std::printf("%-34s %7.3f s\n", "durable move (SourceDelete=1)", Median(smallMove));
    std::printf("%-34s %7.3f s\n", "rsync -a", Median(rsyncPlain));
    std::printf("%-34s %7.3f s\n", "rsync -a --fsync", Median(rsyncFsync));
    std::printf("ratio durable / plain:           %.3f\n",
                Median(smallDurable) / Median(smallPlain));
    std::printf("ratio durable move / plain:      %.3f\n", Median(smallMove) / Median(smallPlain));
    std::printf("ratio durable / rsync --fsync:   %.3f\n",
                Median(smallDurable) / Median(rsyncFsync));
}

}  // namespace

int main() {
    BenchRoot root;
    CopyContext copy;
    copy.LogFolder = root.path();
    const std::string src = root / "source.bin";
    const std::string small = root / "small.bin";
    const std::string dst = root / "copy.bin";
    const int64_t size = int64_t{1} << 30;
    MakeFile(src, size);
    MakeFile(small, 64 << 20);
    Warm(src);

    std::vector<double> worker, cp, unbuffered, dd;
    const std::string ddCommand =
        "dd if=" + Quote(src) + " of=" + Quote(dst) + " bs=64k oflag=direct";
    for (int run = 0; run < kRuns; ++run) {
        // The tools take turns at going first: the first copy after a large delete can
        // meet a busier disk than the second.
        if (run % 2 == 0) {
            worker.push_back(TimeOurs(copy, src, dst, wmSystemCopy));
            cp.push_back(TimeTool("cp " + Quote(src) + " " + Quote(dst), dst));
            unbuffered.push_back(TimeOurs(copy, src, dst, wmUnbuffered));
            dd.push_back(TimeTool(ddCommand, dst));
        } else {
            cp.push_back(TimeTool("cp " + Quote(src) + " " + Quote(dst), dst));
            worker.push_back(TimeOurs(copy, src, dst, wmSystemCopy));
            dd.push_back(TimeTool(ddCommand, dst));
            unbuffered.push_back(TimeOurs(copy, src, dst, wmUnbuffered));
        }
    }
    const double mib = static_cast<double>(size) / (1 << 20);
    auto line = [&](const char* what, double seconds) {
        std::printf("%-34s %7.3f s  %8.1f MiB/s\n", what, seconds, mib / seconds);
    };
    std::printf("1 GiB, warm cache, median of %d runs\n", kRuns);
    line("FileCopy worker path (WriteMode 2)", Median(worker));
    line("cp", Median(cp));
    line("FileCopy WriteMode 1 (O_DIRECT)", Median(unbuffered));
    line("dd bs=64k oflag=direct", Median(dd));
    std::printf("ratio worker / cp:               %.3f\n", Median(worker) / Median(cp));
    std::printf("ratio WriteMode 1 / dd direct:   %.3f\n", Median(unbuffered) / Median(dd));

    for (uint8_t mode : {wmSystemCopy, wmUnbuffered}) {
        const long small64 = PeakMemoryOfCopy(copy, small, dst, mode);
        const long big = PeakMemoryOfCopy(copy, src, dst, mode);
        std::printf("peak memory growth, WriteMode %d: 64 MiB file %ld KiB, 1 GiB file %ld KiB\n",
                    mode, small64, big);
    }
    MeasureDurability(copy, root, src, dst);
    return 0;
}
