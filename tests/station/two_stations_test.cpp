// Two stations in one process, each over its own program folder, run folder jobs at the
// same time on two threads. Neither may see the other's copy status, cancel, log lines or
// configuration: the station owns all of it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "station/run_driver.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A face whose message pump can act (the operator pressing Cancel) and that records every
// status text of the copier it saw.
class WatchingSurfaces : public test::RecordingSurfaces {
public:
    void ProcessMessages() override {
        RecordingSurfaces::ProcessMessages();
        if (station != nullptr) copierTexts.push_back(station->Copy.Status.StatusStr);
        if (onMessages) onMessages();
    }
    Station* station = nullptr;
    std::vector<std::string> copierTexts;
    std::function<void()> onMessages;
};

struct Side {
    Side(const std::string& name, int files) : station(home.path(), surfaces) {
        surfaces.station = &station;
        for (int i = 0; i < files; ++i)
            WriteFile(src / (name + std::to_string(i) + ".dat"), std::string(70000, 'x'));
        test::WriteJobIni(home.path(), {{"SaveSuccessfulCopies", "1"}},
                          {{{"Name", "Job" + name},
                            {"SendeVerzeichnis", src.path()},
                            {"EmpfangsVerzeichnis", dst.path()}}});
        ReadConfig(station);
    }
    size_t Copied() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dst.path())) ++n;
        return n;
    }
    TempDir home, src, dst;
    WatchingSurfaces surfaces;
    Station station;
};

TEST(TwoStations, RunSideBySideWithoutSeeingEachOther) {
    constexpr int kFiles = 40;
    Side a("alpha", kFiles), b("bravo", kFiles);
    // The operator of station a cancels after a few files; b must not notice.
    std::atomic<int> aMessages{0};
    a.surfaces.onMessages = [&] {
        if (++aMessages == 5) CancelRun(a.station);
    };

    std::thread ta([&] { RunAllJobsManually(a.station, false); });
    std::thread tb([&] { RunAllJobsManually(b.station, false); });
    ta.join();
    tb.join();

    EXPECT_TRUE(a.station.Copy.Cancel.Cancelled());
    EXPECT_FALSE(b.station.Copy.Cancel.Cancelled());
    EXPECT_FALSE(b.station.Copy.Cancel.StopRequested());
    EXPECT_LT(a.Copied(), static_cast<size_t>(kFiles));
    EXPECT_EQ(b.Copied(), static_cast<size_t>(kFiles));
    EXPECT_EQ(b.station.FailedFiles, 0u);

    // Each station's configuration, log and copier texts name only its own job and files.
    EXPECT_EQ(a.station.Editor.name, "Jobalpha");
    EXPECT_EQ(b.station.Editor.name, "Jobbravo");
    const std::string logA = ReadFile(a.home / "Ferrolin.log");
    const std::string logB = ReadFile(b.home / "Ferrolin.log");
    EXPECT_NE(logA.find("alpha0.dat"), std::string::npos);
    EXPECT_EQ(logA.find("bravo"), std::string::npos);
    EXPECT_NE(logB.find("bravo0.dat"), std::string::npos);
    EXPECT_EQ(logB.find("alpha"), std::string::npos);
    for (const std::string& text : a.surfaces.copierTexts) EXPECT_EQ(text.find("bravo"), std::string::npos);
    for (const std::string& text : b.surfaces.copierTexts) EXPECT_EQ(text.find("alpha"), std::string::npos);
}

}  // namespace
}  // namespace ferrolin
