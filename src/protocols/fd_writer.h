#pragma once
// Writes every byte of a buffer to a file descriptor, riding out short writes and
// interruptions. False with the reason in error when the descriptor refuses (disk full).
#include <cstddef>
#include <string>

namespace ferrolin {

bool WriteAllToFd(int fd, const char* data, size_t size, std::string& error);

}  // namespace ferrolin
