#pragma once
// Small text files read and written as a whole (lists of paths, the delayed-deletion
// list).
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolin::platform {

// Reads the lines of a text file (LF or CR LF). False when the file cannot be opened or
// read (errorCode: the errno value, ENOENT for a missing file); lines read before a read
// error are kept.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                   int32_t* errorCode = nullptr);

// Replaces a file with the given lines, each ended by CR LF. The text goes to a
// temporary file beside it first, which is then renamed over the old one, so a reader
// never sees a half-written file. False when the file could not be replaced.
bool WriteTextLinesAtomically(const std::string& path, const std::vector<std::string>& lines);

}  // namespace ferrolin::platform
