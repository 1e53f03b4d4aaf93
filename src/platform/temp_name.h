#pragma once
// Temporary names. A file is written under a temporary name beside its destination and
// renamed over it once complete. The temporary name ends in ".tmp", stays within the
// file system's name limit, never equals a name the caller knows to be taken (a name of
// the listing being fetched, a name another file of the same run goes to), and is
// created new: a file that already stands at a candidate name, a stale one or another
// job's temporary alike, is never reused, cut or removed; the next candidate is taken.
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

// How many candidates are tried before a temporary file is given up.
inline constexpr unsigned kTempNameAttempts = 64;

// Whether a bare file name (no folder) is taken in the folder the temporary goes to.
using NameTaken = std::function<bool(std::string_view name)>;

// Candidate number attempt (0, 1, 2, ...) of the temporary path for dest: dest + ".tmp",
// then dest + "~2.tmp", "~3.tmp", ... Where that would be longer than a file name may
// be, the name is cut at a character boundary and told apart by a hash of the whole
// name: the same dest and attempt always give the same candidate.
std::string TempPathFor(const std::string& dest, unsigned attempt = 0);

// The first candidate whose name taken() does not claim, for a file that cannot be
// created exclusively here (a remote one). Empty when every candidate is taken.
std::string FreeTempPathFor(const std::string& dest, const NameTaken& taken);

// Creates the temporary file of dest on this computer (O_EXCL, never through a link),
// open for reading and writing, mode 0666 less the umask. path receives its name. An
// invalid descriptor on failure, with errno set (EEXIST once every candidate stood).
UniqueFd CreateLocalTempFor(const std::string& dest, const NameTaken& taken, std::string& path);

// The same through a file-system seam (a local disk or a share): the copier's target.
FsFilePtr CreateTempTargetFor(FileSystem& fs, const std::string& dest, bool direct,
                              std::string& path, const NameTaken& taken = {});

}  // namespace ferrolin::platform
