// Files to and from an SMB share on loopback (smbd started here, in the foreground):
// 200 MiB up and down through the copier against smbclient put/get on the same server in
// the same run (ratios), and a folder job of 1,000 files of 4 KiB to the share, its first
// run and its run with nothing to copy. Needs root (the share's user is root) and the
// samba and smbclient packages. Set FERROLIN_BENCH_DIR for another folder than /tmp.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <optional>
#include <thread>

#include "bench_net.h"
#include "bench_util.h"
#include "common/surfaces.h"
#include "files/copy_context.h"
#include "files/file_copy.h"
#include "protocols/smb_shares.h"
#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"

using namespace ferrolin;
using namespace ferrolin::bench;

namespace {

constexpr int kRuns = 5;
constexpr int64_t kBigSize = int64_t{200} << 20;
constexpr int kSmallFiles = 1000;
constexpr int kSmallFolders = 10;
constexpr const char* kUser = "root";
constexpr const char* kPassword = "Bench-Secr3t";

// smbd with one writable share "share" and root as its user. smbd makes its own session,
// so it must not lead a process group before it starts.
class Smbd {
  public:
    explicit Smbd(const std::string& dir) : dir_(dir) {
        for (const char* sub :
             {"private", "lock", "state", "cache", "pid", "log", "ncalrpc", "share", "home/.smb"}) {
            fs::create_directories(dir + "/" + sub);
        }
        port_ = FreePort();
        std::ofstream(dir + "/smb.conf")
            << "[global]\nserver role = standalone server\nworkgroup = WORKGROUP\n"
            << "smb ports = " << port_ << "\nbind interfaces only = yes\n"
            << "interfaces = lo 127.0.0.1\ndisable netbios = yes\nload printers = no\n"
            << "printcap name = /dev/null\ndisable spoolss = yes\n"
            << "private dir = " << dir << "/private\nlock directory = " << dir << "/lock\n"
            << "state directory = " << dir << "/state\ncache directory = " << dir << "/cache\n"
            << "pid directory = " << dir << "/pid\nncalrpc dir = " << dir << "/ncalrpc\n"
            << "log file = " << dir << "/log/log.%m\npassdb backend = tdbsam:" << dir
            << "/private/passdb.tdb\nmap to guest = never\nserver min protocol = SMB2_02\n"
            << "map archive = no\n[share]\npath = " << dir << "/share\nread only = no\n";
        const std::string conf = dir + "/smb.conf";
        FILE* pipe = popen(("smbpasswd -c " + conf + " -s -a root >/dev/null 2>&1").c_str(), "w");
        if (pipe != nullptr) {
            std::fprintf(pipe, "%s\n%s\n", kPassword, kPassword);
            pclose(pipe);
        }
        // smbclient reads the user and password from a file, not from its command line.
        std::ofstream(dir + "/auth")
            << "username = " << kUser << "\npassword = " << kPassword << "\n";
        server_.emplace(std::vector<std::string>{"/usr/sbin/smbd", "--foreground", "-s", conf},
                        false);
        WaitUntilAccepts(port_, 300);
    }
    bool Ready() const { return Accepts(port_); }
    std::string SharePath() const { return "//127.0.0.1:" + std::to_string(port_) + "/share"; }
    std::string Folder() const { return dir_ + "/share"; }
    // smbclient with commands, quiet; true when it succeeded.
    bool Client(const std::string& commands) const {
        return Shell("smbclient -p " + std::to_string(port_) + " //127.0.0.1/share -A " +
                     Quote(dir_ + "/auth") + " -c " + Quote(commands));
    }

  private:
    std::string dir_;
    uint16_t port_ = 0;
    std::optional<QuietServer> server_;
};

double RunFolderJob(const std::string& home, const std::string& src, const std::string& dst) {
    std::ofstream(home + "/Ferrolin.INI")
        << "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=bench\nActive=1\nParsingType=1\n"
        << "UseTempFile=1\nSendeVerzeichnis=" << src << "\nEmpfangsVerzeichnis=" << dst
        << "\nDestLName=" << kUser << "\nDestLPassword=" << kPassword << "\n";
    NullSurfaces surfaces;
    Station station(home, surfaces);
    ReadConfig(station);
    const double seconds = Seconds([&] { RunAllJobsManually(station, false); });
    if (station.Log.FailedFiles != 0 || station.Log.JobsCutShort != 0)
        std::puts("folder job failed");
    return seconds;
}

}  // namespace

int main() {
    if (geteuid() != 0 || !Shell("{ command -v smbd && command -v smbclient; }")) {
        std::puts("smb_transfer: needs root, smbd and smbclient");
        return 1;
    }
    BenchRoot root;
    Smbd server(root / "server");
    if (!server.Ready()) {
        std::puts("smbd did not start");
        return 1;
    }
    setenv("HOME", (root / "server/home").c_str(), 1);
    const std::string src = root / "source.bin";
    MakePatternFile(src, kBigSize);
    Shell("cat " + Quote(src) + " > /dev/null");

    SmbShares shares;
    CopyContext copy;
    copy.Files.SetShares(&shares, &shares);
    if (shares.AddConnection(server.SharePath(), kUser, kPassword) != 0) {
        std::puts("logon failed");
        return 1;
    }
    const std::string share = server.SharePath();
    auto copyFile = [&](const std::string& from, const std::string& to) {
        if (FileCopy(copy, from, to, UiPump{}, CopyProgressRoutine, 0, cfForce, wmSystemCopy) !=
            crCopied) {
            std::printf("copy failed: %s\n", copy.Status.StatusStr.c_str());
        }
    };
    std::vector<double> upOurs, upPeer, downOurs, downPeer;
    for (int run = 0; run < kRuns; ++run) {
        const std::string tag = std::to_string(run);
        auto ours = [&] {
            upOurs.push_back(Seconds([&] { copyFile(src, share + "/ours" + tag + ".bin"); }));
            downOurs.push_back(Seconds(
                [&] { copyFile(share + "/ours" + tag + ".bin", root / ("ours" + tag + ".bin")); }));
        };
        auto peer = [&] {
            upPeer.push_back(Seconds([&] {
                if (!server.Client("put " + src + " peer" + tag + ".bin")) std::puts("put failed");
            }));
            downPeer.push_back(Seconds([&] {
                if (!server.Client("get peer" + tag + ".bin " + root / ("peer" + tag + ".bin")))
                    std::puts("get failed");
            }));
        };
        // Take turns at going first.
        if (run % 2 == 0) {
            ours();
            peer();
        } else {
            peer();
            ours();
        }
    }
    const double mib = static_cast<double>(kBigSize) / (1 << 20);
    auto line = [&](const char* what, double seconds) {
        std::printf("%-44s %7.3f s  %8.1f MiB/s\n", what, seconds, mib / seconds);
    };
    std::printf("200 MiB over loopback SMB (smbd), median of %d runs\n", kRuns);
    line("copier to the share (temp name, rename, times)", Median(upOurs));
    line("smbclient put", Median(upPeer));
    line("copier from the share", Median(downOurs));
    line("smbclient get", Median(downPeer));
    std::printf("ratio upload copier / smbclient:    %.3f\n", Median(upOurs) / Median(upPeer));
    std::printf("ratio download copier / smbclient:  %.3f\n", Median(downOurs) / Median(downPeer));

    // A folder job of many small files to the share: the first run copies them all, the
    // second finds each the same by size and time.
    MakeTree(root / "small", kSmallFiles, kSmallFolders, 4096);
    std::vector<double> first, noop, peerSmall;
    for (int run = 0; run < kRuns; ++run) {
        const std::string tag = std::to_string(run);
        fs::create_directories(root / ("home" + tag));
        first.push_back(RunFolderJob(root / ("home" + tag), root / "small", share + "/job" + tag));
        noop.push_back(RunFolderJob(root / ("home" + tag), root / "small", share + "/job" + tag));
        peerSmall.push_back(Seconds([&] {
            if (!server.Client("mkdir peer" + tag + "; cd peer" + tag +
                               "; prompt OFF; recurse ON; lcd " + root / "small" + "; mput *"))
                std::puts("mput failed");
        }));
    }
    std::printf("%d files of 4 KiB in %d folders to the share, median of %d runs\n", kSmallFiles,
                kSmallFolders, kRuns);
    std::printf("%-44s %7.3f s  %8.0f files/s\n", "folder job, first run", Median(first),
                kSmallFiles / Median(first));
    std::printf("%-44s %7.3f s  %8.0f files/s\n", "folder job, nothing to copy", Median(noop),
                kSmallFiles / Median(noop));
    std::printf("%-44s %7.3f s  %8.0f files/s\n", "smbclient recursive mput", Median(peerSmall),
                kSmallFiles / Median(peerSmall));
    std::printf("ratio first run / smbclient mput:   %.3f\n", Median(first) / Median(peerSmall));
    return 0;
}
