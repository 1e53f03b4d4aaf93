// The byte-rate limit: a 20 MiB copy limited to 1 MiB/s on both transfer paths, with the
// rate the copier reports once a second, to show how the per-chunk pause settles.
#include <cstdio>

#include "bench_util.h"
#include "files/file_copy.h"

using namespace ferrolin;
using namespace ferrolin::bench;

int main() {
    BenchRoot root;
    CopyContext copy;
    copy.LogFolder = root.path();
    const std::string src = root / "source.bin";
    const std::string dst = root / "copy.bin";
    const int64_t size = 20 << 20;
    const uint32_t limit = 1 << 20;
    {
        std::ofstream out(src, std::ios::binary);
        out << std::string(static_cast<size_t>(size), 'r');
    }
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        std::printf("WriteMode %d, limit %u B/s, %lld bytes\n", mode, limit,
                    static_cast<long long>(size));
        const auto start = std::chrono::steady_clock::now();
        int nextSecond = 1;
        UiPump pump = [&] {
            const double t =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (t >= nextSecond) {
                std::printf("  t=%2d s  done %6.2f MiB  rate %8d B/s\n", nextSecond,
                            static_cast<double>(copy.Status.Done.load()) / (1 << 20),
                            copy.Status.BytesPerSecond.load());
                ++nextSecond;
            }
        };
        const double seconds = Seconds([&] {
            FileCopy(copy, src, dst, pump, CopyProgressRoutine, limit, cfForce, mode);
        });
        std::printf("  total %.2f s, achieved average %.0f B/s (%.3f of the limit); copier says %d B/s\n",
                    seconds, static_cast<double>(size) / seconds,
                    static_cast<double>(size) / seconds / limit, copy.Status.BytesPerSecond.load());
        std::error_code ec;
        fs::remove(dst, ec);
    }
    return 0;
}
