// "demo-init": gives an empty program folder a job list to try the program with: one
// checked folder job "Demo" from demo-source to demo-destination, and a few small files
// in the source. An existing Ferrolin.INI is never touched.
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "config/global_section.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/whole_file.h"
#include "station/station_config.h"

namespace ferrolin::cli {

namespace {

struct SampleFile {
    const char* name;
    const char* content;
};

constexpr SampleFile kSampleFiles[] = {
    {"readme.txt", "Ferrolin demo: files in demo-source are copied to demo-destination.\n"},
    {"inventory.csv", "item;count\nreels;12\ntapes;40\n"},
    {"schedule.txt", "Monday 06:00 news\nMonday 18:00 weather\n"},
};

bool CreateFolder(const std::string& path) {
    if (int32_t rc = platform::CreateDirectories(path)) {
        std::cerr << "ferrolin-cli: cannot create " << path << ": " << platform::ErrorMessage(rc)
                  << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunDemoInitCommand(const Args& args) {
    if (!args.empty()) return UsageError("demo-init takes no arguments");
    CliSession session;
    Station& station = session.station();
    const std::string& ini = station.IniFilename;
    if (platform::FileExists(ini) || platform::DirectoryExists(ini)) {
        std::cout << ini << " already exists; nothing changed\n";
        return 0;
    }

    const std::string source = platform::JoinPath(station.ProgramDir, "demo-source");
    const std::string destination = platform::JoinPath(station.ProgramDir, "demo-destination");
    if (!CreateFolder(source) || !CreateFolder(destination)) return 1;
    for (const SampleFile& sample : kSampleFiles) {
        const std::string path = platform::JoinPath(source, sample.name);
        if (platform::FileExists(path)) continue;
        if (int32_t rc = platform::ReplaceWholeFile(path, sample.content)) {
            std::cerr << "ferrolin-cli: cannot write " << path << ": "
                      << platform::ErrorMessage(rc) << "\n";
            return 1;
        }
    }

    station.Editor = TransferJob{};
    station.Editor.Name = "Demo";
    station.Editor.SendeVerzeichnis = source;
    station.Editor.EmpfangsVerzeichnis = destination;
    station.RasIndex = 0;  // "RAS disabled"
    station.Jobs = {JobListLine{"Demo", true}};
    try {
        ProfileFile file(ini);
        ProfileFile::Batch batch(file);
        WriteGlobalOptions(file, station.Options);
        WriteJobCount(file, station.Jobs.size());
        WriteJob(station, file, 0);
        file.WriteBool(JobSectionName(0), "Active", true);
        batch.Commit();
    } catch (const ProfileWriteError& e) {
        std::cerr << "ferrolin-cli: " << e.what() << "\n";
        return 1;
    }
    std::cout << "Demo job list written to " << ini << "\n";
    return 0;
}

}  // namespace ferrolin::cli
