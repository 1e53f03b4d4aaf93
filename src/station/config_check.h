#pragma once
// Checks a program folder's Ferrolin.INI the way an operator would before trusting it:
// lines the program does not understand, values it cannot use, job folders that are
// missing or not writable, addresses that do not parse, destinations that would copy into
// their own source or over the program's own files. With connect, every server and share
// a job names is also logged on to and left again, without changing anything there.
//
// Findings are typed and carry the line of the file they are about; the text is made
// where it is shown (FindingText).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

enum class FindingKind {
    Unreadable,  // the file cannot be read (detail: why)
    NoConfig,    // there is no Ferrolin.INI
    StrayLine,   // neither a section, a setting nor a comment
    UnknownSection,
    UnknownKey,
    DuplicateSection,  // a second section of a name: it is never read
    DuplicateKey,      // a second line of a key in a section: it is never read
    JobPastCount,      // a Kopf<N> section at or past the job count: never run
    BadValue,          // detail: what is allowed
    MissingFolder,     // detail: which side
    MissingFile,       // list file or compare list (detail: which)
    NotWritable,       // a destination folder this user cannot write to
    BadAddress,        // detail: why
    DestinationIsSource,
    DestinationInsideSource,
    DestinationIsProgramFolder,
    MaskNamesFolder,  // the source's last part holds a "." and is an existing folder
    LogonFailed,      // --connect: detail: the server's or the system's answer
};

struct ConfigFinding {
    size_t line = 0;  // 1-based; 0 when the finding is about the whole file
    FindingKind kind = FindingKind::BadValue;
    std::string section;
    std::string key;
    std::string value;
    std::string detail;
};

// The lines of the file against what the program reads: sections, keys and values.
std::vector<ConfigFinding> CheckConfigLines(std::string_view text);

// Each job of the list: its folders, addresses and where its destination lies.
std::vector<ConfigFinding> CheckConfigJobs(const std::string& iniFile,
                                           const std::string& programDir);

// Every job's servers and shares: a logon with the job's user and password, and a look at
// the named folder, then the connection is closed. Nothing is written, deleted or renamed.
std::vector<ConfigFinding> CheckConfigConnections(const std::string& iniFile);

// Everything above for the program folder's Ferrolin.INI (connections only with connect),
// in line order.
std::vector<ConfigFinding> CheckProgramFolderConfig(const std::string& programDir, bool connect);

// "[Kopf0] CopyMode=9: out of range; use 0 to 4 ..." (without the file and line).
std::string FindingText(const ConfigFinding& finding);

}  // namespace ferrolin
