#pragma once
// Small text files read and written as a whole (lists of paths, the delayed-deletion
// list).
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolin::platform {

// Reads the lines of a text file (LF or CR LF). False when the file cannot be read
// (errorCode: the errno value, ENOENT for a missing file).
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                   int32_t* errorCode = nullptr);

// Replaces a file with the given lines, each ended by CR LF, in one atomic step (a
// reader never sees a half-written file). False when the file could not be replaced.
bool WriteTextLinesAtomically(const std::string& path, const std::vector<std::string>& lines);

}  // namespace ferrolin::platform
