// How long ferrolin-cli takes to start, run a list of local jobs and end, as a whole
// process: a job list of one folder job over ten small files already in place, beside
// /bin/true (a process and nothing else), rsync --version (a peer tool starting) and
// rsync -a of the same folder (the peer doing the same no-op). Also the shared libraries
// the program loads before it does anything. Median of interleaved runs.
#include <cstdio>
#include <memory>

#include "bench_process.h"
#include "bench_util.h"

using namespace ferrolin::bench;

namespace {

constexpr int kRuns = 41;

// Shared libraries the dynamic loader maps at start (ldd's count, the vDSO left out).
int LibrariesAtStart(const std::string& program) {
    std::unique_ptr<FILE, int (*)(FILE*)> ldd(popen(("ldd " + Quote(program)).c_str(), "r"),
                                              pclose);
    if (!ldd) return -1;
    int count = 0;
    char line[1024];
    while (std::fgets(line, sizeof line, ldd.get()) != nullptr)
        if (std::string(line).find("linux-vdso") == std::string::npos) ++count;
    return count;
}

struct Tool {
    std::string name;
    std::vector<std::string> argv;
    std::vector<std::string> environment;
    std::vector<double> seconds;
};

}  // namespace

int main() {
    BenchRoot root;
    fs::create_directories(root / "src");
    fs::create_directories(root / "ours");
    for (int i = 0; i < 10; ++i)
        std::ofstream(root / ("src/f" + std::to_string(i) + ".txt"), std::ios::binary)
            << std::string(100, 'x');
    fs::create_directories(root / "home");
    std::ofstream(root / "home/Ferrolin.INI")
        << "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=bench\nActive=1\n"
        << "SendeVerzeichnis=" << root / "src"
        << "\nEmpfangsVerzeichnis=" << root / "ours"
        << "\n";
    std::vector<Tool> tools = {
        {"ferrolin-cli run", {CliPath(), "run"}, {"FERROLIN_HOME=" + root / "home"}, {}},
        {"/bin/true", {"/bin/true"}, {}, {}},
        {"rsync --version", {"/usr/bin/rsync", "--version"}, {}, {}},
        {"rsync -a", {"/usr/bin/rsync", "-a", root / "src/", root / "peer/"}, {}, {}},
    };
    // The first runs copy the files and warm the caches; they are not counted.
    for (Tool& tool : tools) TimeProcess(tool.argv, tool.environment);
    for (int run = 0; run < kRuns; ++run) {
        for (size_t i = 0; i < tools.size(); ++i) {
            Tool& tool = tools[(i + static_cast<size_t>(run)) % tools.size()];
            const double t = TimeProcess(tool.argv, tool.environment);
            if (t < 0) {
                std::printf("%s failed\n", tool.name.c_str());
                return 1;
            }
            tool.seconds.push_back(t);
        }
    }
    std::printf("start-up, whole process, median of %d interleaved runs\n", kRuns);
    const double ours = Median(tools[0].seconds);
    for (const Tool& tool : tools) {
        const double t = Median(tool.seconds);
        std::printf("  %-18s %7.2f ms   ferrolin-cli run / this %.2f\n", tool.name.c_str(),
                    t * 1000, ours / t);
    }
    std::printf("  shared libraries loaded at start: ferrolin-cli %d, rsync %d\n",
                LibrariesAtStart(CliPath()), LibrariesAtStart("/usr/bin/rsync"));
    return 0;
}
