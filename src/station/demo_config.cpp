#include "station/demo_config.h"

#include "config/global_section.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/whole_file.h"
#include "station/station_config.h"

namespace ferrolin {

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

DemoConfigOutcome Failure(const std::string& what, const std::string& path, int32_t rc) {
    return {DemoConfigResult::Failed, "cannot " + what + " " + path + ": " + platform::ErrorMessage(rc)};
}

}  // namespace

DemoConfigOutcome WriteDemoConfig(Station& station) {
    const std::string& ini = station.IniFilename;
    if (platform::FileExists(ini) || platform::DirectoryExists(ini))
        return {DemoConfigResult::AlreadyThere, {}};

    const std::string source = platform::JoinPath(station.ProgramDir, "demo-source");
    const std::string destination = platform::JoinPath(station.ProgramDir, "demo-destination");
    for (const std::string& folder : {source, destination}) {
        if (int32_t rc = platform::CreateDirectories(folder)) return Failure("create", folder, rc);
    }
    for (const SampleFile& sample : kSampleFiles) {
        const std::string path = platform::JoinPath(source, sample.name);
        if (platform::FileExists(path)) continue;
        if (int32_t rc = platform::ReplaceWholeFile(path, sample.content))
            return Failure("write", path, rc);
    }

    station.Editor = TransferJob{};
    station.Editor.name = "Demo";
    station.Editor.source = source;
    station.Editor.destination = destination;
    station.RasIndex = 0;  // "RAS disabled"
    station.Jobs = {JobListLine{"Demo", true}};
    try {
        ProfileFile file(ini, station.IniCache);
        ProfileFile::Batch batch(file);
        WriteGlobalOptions(file, station.Options);
        WriteJobCount(file, station.Jobs.size());
        WriteJob(station, file, 0);
        file.WriteBool(JobSectionName(0), "Active", true);
        batch.Commit();
    } catch (const ProfileWriteError& e) {
        return {DemoConfigResult::Failed, e.what()};
    }
    return {DemoConfigResult::Written, {}};
}

}  // namespace ferrolin
