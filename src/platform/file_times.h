#pragma once
// File times in the program's 64-bit form (100-ns units since 1601-01-01 UTC).
// This system cannot set a creation time: SetFileTimes sets the last-access and
// last-write times, and the creation time read back is the birth time where the file
// system reports one, else the last-write time.
#include <cstdint>
#include <string>

namespace ferrolin::platform {

struct FileTimes {
    int64_t Creation = 0;
    int64_t LastAccess = 0;
    int64_t LastWrite = 0;
};

// The times of a file that can be opened for reading; false when it cannot.
bool GetFileTimes(const std::string& path, FileTimes& times);

// Sets the last-access and last-write times. Does nothing (false) when creation is 0,
// the program's mark for "no times known", or the file cannot be reached.
bool SetFileTimes(const std::string& path, int64_t creation, int64_t lastAccess,
                  int64_t lastWrite);

// -1, 0 or 1 for a < b, a = b, a > b on the signed difference a - b. Tolerant: a
// positive difference of at most 2 seconds counts as equal, a negative one never does.
int CompareFileTimes(int64_t a, int64_t b, bool tolerant);

inline constexpr int64_t kFileTimeTolerance = 20000000;  // 2 s in 100-ns units

}  // namespace ferrolin::platform
