#pragma once
// Setting up jobs without the window: show, add, change, enable, remove and move the jobs
// of Ferrolin.INI by their plain setting names (config/job_settings.h).
//
// Each command checks everything first and then replaces the file once; a refused command
// leaves it untouched. Lines the command does not change stay as they are, comments and
// keys this program does not know included: a removed or moved job's section travels
// under its new name with all its lines. A write the file system refuses throws
// ProfileWriteError.
#include <optional>
#include <string>
#include <vector>

#include "config/job_settings.h"

namespace ferrolin {

// One "name=value" of a command, the value in plain words.
struct JobEdit {
    std::string name;
    std::string value;
};

// A password read from standard input, and the side it is for. Remote: the side that logs
// on to a server: the source when it is an FTP, HTTP, mail or share address, otherwise
// the destination.
struct PasswordInput {
    enum class Side { Remote, Source, Destination };
    Side side = Side::Remote;
    std::string text;
};

// What a command did. refused: nothing was written, problem says why and what is allowed.
struct JobCommandOutcome {
    bool refused = false;
    std::string problem;
    int job = -1;  // the job the command made or changed
};

// One setting of a job as "job show" lists it.
struct JobSettingRow {
    const JobSetting* setting = nullptr;
    std::string stored;  // the text under the key, or the default when the key is absent
    bool present = false;
    std::string shown;  // the plain value
};

// Why n names no job of the list ("there is no job 5: the jobs are 0 to 2"); empty
// when it names one.
std::string JobNumberProblem(const std::string& iniFile, int n);

// Every setting of job n; nothing when there is no job n.
std::optional<std::vector<JobSettingRow>> ShowJob(const std::string& iniFile, int n);

// A new last job: the fresh job's settings, enabled, then the edits (which must name a
// source and a destination).
JobCommandOutcome AddJob(const std::string& iniFile, const std::string& name,
                         const std::vector<JobEdit>& edits,
                         const std::optional<PasswordInput>& password);
// Changes the named settings of job n and nothing else.
JobCommandOutcome SetJob(const std::string& iniFile, int n, const std::vector<JobEdit>& edits,
                         const std::optional<PasswordInput>& password);
JobCommandOutcome EnableJob(const std::string& iniFile, int n, bool enabled);
// Job n goes; the later jobs move up one place.
JobCommandOutcome RemoveJob(const std::string& iniFile, int n);
// Job n goes to place m; the jobs between move one place towards n.
JobCommandOutcome MoveJob(const std::string& iniFile, int n, int m);

}  // namespace ferrolin
