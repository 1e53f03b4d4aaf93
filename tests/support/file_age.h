#pragma once
// Files of a test folder by age and count: a file made to look written long ago, and the
// number of plain files a folder holds.
#include <sys/time.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace ferrolin::test {

// Sets the file's access and modification times to seconds before now.
inline void AgeFile(const std::string& path, int seconds) {
    timeval now{};
    gettimeofday(&now, nullptr);
    const timeval then{now.tv_sec - seconds, 0};
    const timeval times[2] = {then, then};
    utimes(path.c_str(), times);
}

// The plain files directly in folder.
inline size_t FilesIn(const std::string& folder) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        n += entry.is_regular_file() ? 1 : 0;
    return n;
}

}  // namespace ferrolin::test
