#pragma once
// Writes every byte of a buffer to a file descriptor, riding out short writes and
// interruptions.
#include <cstddef>
#include <string>

namespace ferrolin {

// 0 when every byte went out, else the errno of the refusal (ENOSPC for a descriptor that
// takes nothing more).
int WriteAllToFd(int fd, const char* data, size_t size);
// False with the reason in error when the descriptor refuses (disk full).
bool WriteAllToFd(int fd, const char* data, size_t size, std::string& error);

}  // namespace ferrolin
