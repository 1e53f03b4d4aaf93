#pragma once
// Free space and write alignment of the volume that holds a folder.
#include <cstdint>
#include <string>

namespace ferrolin::platform {

// Bytes free for the calling user on the volume of path; -1 when the query fails.
int64_t DiskFreeBytes(const std::string& path);

// The write granularity unbuffered (O_DIRECT) writes need on the volume of folder: the
// direct-I/O alignment the kernel reports, else the file system's block size; 0 when
// neither can be read.
uint32_t SectorSize(const std::string& folder);

}  // namespace ferrolin::platform
