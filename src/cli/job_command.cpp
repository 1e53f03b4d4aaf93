// "job": shows and changes one job of Ferrolin.INI by plain setting names.
//   job show N | job add NAME --source S --dest D [options] | job set N name=value...
//   job enable N | job disable N | job remove N | job move N M
// Options of add and set: name=value, --name value or --name=value; a yes/no setting
// given as --name alone means yes. Passwords come only from standard input.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "config/profile_write_error.h"
#include "station/job_commands.h"

namespace ferrolin::cli {

namespace {

constexpr char kJobUsage[] =
    "job show N | job add NAME --source S --dest D [name=value...] | job set N name=value... | "
    "job enable N | job disable N | job remove N | job move N M "
    "(add and set also take --password-stdin[=source|destination])";

struct ParsedEdits {
    std::vector<JobEdit> edits;
    std::optional<PasswordInput::Side> passwordSide;
    std::string problem;
};

bool IsYesNoSetting(const std::string& name) {
    const JobSetting* s = FindJobSetting(name);
    return s != nullptr && (s->kind == SettingKind::Flag || s->kind == SettingKind::Recursion);
}

ParsedEdits ParseEdits(const Args& args, size_t from) {
    ParsedEdits parsed;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--password-stdin" || arg.rfind("--password-stdin=", 0) == 0) {
            const std::string side = arg.size() > 16 ? arg.substr(17) : "";
            if (side.empty()) {
                parsed.passwordSide = PasswordInput::Side::Remote;
            } else if (side == "source") {
                parsed.passwordSide = PasswordInput::Side::Source;
            } else if (side == "destination") {
                parsed.passwordSide = PasswordInput::Side::Destination;
            } else {
                parsed.problem = "--password-stdin takes =source or =destination";
                return parsed;
            }
            continue;
        }
        const bool option = arg.rfind("--", 0) == 0;
        const std::string word = option ? arg.substr(2) : arg;
        const size_t eq = word.find('=');
        if (eq != std::string::npos) {
            parsed.edits.push_back({word.substr(0, eq), word.substr(eq + 1)});
        } else if (option && IsYesNoSetting(word)) {
            parsed.edits.push_back({word, "yes"});
        } else if (option && i + 1 < args.size()) {
            parsed.edits.push_back({word, args[++i]});
        } else {
            parsed.problem =
                option ? "--" + word + " needs a value" : "\"" + arg + "\" is not name=value";
            return parsed;
        }
    }
    return parsed;
}

std::optional<int> JobNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

std::optional<PasswordInput> ReadPassword(const std::optional<PasswordInput::Side>& side) {
    if (!side) return std::nullopt;
    PasswordInput input;
    input.side = *side;
    // Typed at a terminal: asked for, and not echoed.
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::cerr << "password: " << std::flush;
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::getline(std::cin, input.text);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << "\n";
    }
    if (!input.text.empty() && input.text.back() == '\r') input.text.pop_back();
    return input;
}

int Report(const char* what, const JobCommandOutcome& outcome) {
    if (outcome.refused) {
        std::cerr << "ferrolin-cli: job " << what << ": " << outcome.problem << "\n";
        return 2;
    }
    return 0;
}

void PrintJob(int n, const std::vector<JobSettingRow>& rows) {
    std::printf("job %d\n", n);
    for (const JobSettingRow& row : rows) {
        std::string key(row.setting->key);
        if (!row.present) key += " (default)";
        std::printf("  %-22s %-30s %s\n", std::string(row.setting->name).c_str(), key.c_str(),
                    row.shown.c_str());
    }
}

int RunJob(const std::string& verb, const Args& args, const std::string& ini) {
    auto job = [&](size_t i) { return i < args.size() ? JobNumber(args[i]) : std::nullopt; };
    if (verb == "show" && args.size() == 2 && job(1)) {
        auto rows = ShowJob(ini, *job(1));
        if (!rows) return Report("show", {true, JobNumberProblem(ini, *job(1)), -1});
        PrintJob(*job(1), *rows);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if ((verb == "enable" || verb == "disable") && args.size() == 2 && job(1))
        return Report(verb.c_str(), EnableJob(ini, *job(1), verb == "enable"));
    if (verb == "remove" && args.size() == 2 && job(1))
        return Report("remove", RemoveJob(ini, *job(1)));
    if (verb == "move" && args.size() == 3 && job(1) && job(2))
        return Report("move", MoveJob(ini, *job(1), *job(2)));
    const bool add = verb == "add" && args.size() >= 2;
    if (add && args[1].rfind("--", 0) == 0)
        return UsageError("job add: the job's name comes first: job add NAME --source S --dest D");
    if (add || (verb == "set" && args.size() >= 2 && job(1))) {
        ParsedEdits parsed = ParseEdits(args, 2);
        if (!parsed.problem.empty()) return UsageError("job " + verb + ": " + parsed.problem);
        const std::optional<PasswordInput> password = ReadPassword(parsed.passwordSide);
        const JobCommandOutcome outcome = add ? AddJob(ini, args[1], parsed.edits, password)
                                              : SetJob(ini, *job(1), parsed.edits, password);
        if (const int rc = Report(verb.c_str(), outcome); rc != 0) return rc;
        if (add) std::printf("job %d added\n", outcome.job);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return UsageError(std::string("usage: ") + kJobUsage);
}

}  // namespace

int RunJobCommand(const Args& args) {
    if (args.empty()) return UsageError(std::string("usage: ") + kJobUsage);
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    try {
        return RunJob(args[0], args, session.station().IniFilename);
    } catch (const ProfileWriteError& e) {
        std::cerr << "ferrolin-cli: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace ferrolin::cli
