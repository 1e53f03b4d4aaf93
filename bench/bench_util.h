#pragma once
// Helpers of the benchmarks: fresh folders, file trees, timing, and running peer tools.
// Trees are built in fresh folders and moved aside rather than deleted between runs:
// on this file system creating many files right after deleting many is slow.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace ferrolin::bench {

namespace fs = std::filesystem;

// A fresh folder under the benchmark root, removed when the program ends.
class BenchRoot {
public:
    // Under FERROLIN_BENCH_DIR when set, else under fallback.
    explicit BenchRoot(const char* fallback = "/tmp") {
        const char* base = std::getenv("FERROLIN_BENCH_DIR");
        std::string pattern = std::string(base != nullptr ? base : fallback) + "/ferrolin-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path_ = pattern;
    }
    ~BenchRoot() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// files files of size bytes, spread over folders subfolders ("d000/f00000.dat").
inline void MakeTree(const std::string& root, int files, int folders, size_t size) {
    const std::string content(size, 'x');
    char name[64];
    for (int d = 0; d < folders; ++d) {
        std::snprintf(name, sizeof name, "/d%03d", d);
        fs::create_directories(root + name);
    }
    for (int f = 0; f < files; ++f) {
        std::snprintf(name, sizeof name, "/d%03d/f%06d.dat", f % folders, f);
        std::ofstream(root + name, std::ios::binary) << content;
    }
}

// A file of size bytes (rounded up to whole MiB) of a fixed, not all-zero pattern.
inline void MakePatternFile(const std::string& path, int64_t size) {
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) ^ (i >> 9));
    std::ofstream out(path, std::ios::binary);
    for (int64_t done = 0; done < size; done += static_cast<int64_t>(block.size())) out << block;
}

inline double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a shell command with its output discarded; false when it failed.
inline bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Quote(const std::string& path) { return "'" + path + "'"; }

// Whether the command line asks for section (no arguments: every section).
inline bool SectionWanted(int argc, char** argv, const std::string& section) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i) {
        if (section == argv[i]) return true;
    }
    return false;
}

// Peak resident memory growth (KiB) of a child process that does work; -1 when the work
// failed or the child could not be started. The child measures itself, so what this
// process already holds does not count.
inline long PeakGrowthInChild(const std::function<bool()>& work) {
    int out[2];
    if (pipe(out) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        struct rusage before {};
        getrusage(RUSAGE_SELF, &before);
        const bool ok = work();
        struct rusage after {};
        getrusage(RUSAGE_SELF, &after);
        const long grown = ok ? after.ru_maxrss - before.ru_maxrss : -1;
        (void)!write(out[1], &grown, sizeof grown);
        _exit(0);
    }
    long grown = -1;
    (void)!read(out[0], &grown, sizeof grown);
    waitpid(child, nullptr, 0);
    close(out[0]);
    close(out[1]);
    return grown;
}

}  // namespace ferrolin::bench
