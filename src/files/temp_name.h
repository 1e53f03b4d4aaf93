#pragma once
// The temporary name a copy is written under before it replaces the destination: the
// destination + ".tmp", or, where that would be longer than a file name may be (names of
// 252 bytes and more), a shorter name in the same folder that still names the file it
// belongs to and is the same for every copy of that file, so a stale one is found again.
#include <string>

namespace ferrolin {

// Longest file name (one level of a path) this platform's file systems accept, in bytes.
inline constexpr size_t kMaxFileNameBytes = 255;

std::string TempPathFor(const std::string& dest);

}  // namespace ferrolin
