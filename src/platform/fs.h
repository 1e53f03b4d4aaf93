#pragma once
// Plain file operations for the program's own files (configuration, logs, lists).
// Results follow errno: actions return 0 or the error code; queries return nothing and
// leave the code in errno (platform::LastError()). A share path (//server/share/...) is
// never treated as a local path: every function given one fails with
// ERROR_SHARE_UNREACHABLE.
#include <cstdint>
#include <optional>
#include <string>

namespace ferrolin::platform {

// True for an existing entry that is not a folder (links are followed).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::optional<int64_t> FileSize(const std::string& path);

// Renames; across file systems copies the file (mode and times kept) and deletes the
// source. Without replaceExisting an existing target is an error (EEXIST).
int32_t MoveFile(const std::string& from, const std::string& to, bool replaceExisting = false);
int32_t DeleteFile(const std::string& path);
// Creates the folder and any missing parents; an existing folder is success.
int32_t CreateDirectories(const std::string& path);

// Puts a file's data and its entry's metadata (or a folder's entries) on stable storage:
// what it holds survives a power cut from now on. Returns 0 or the error code.
int32_t FlushToDisk(const std::string& path);

// Writes the whole buffer, continuing after partial writes and interrupted calls.
// Returns 0 or the error code.
int32_t WriteAll(int fd, const void* data, size_t size);

}  // namespace ferrolin::platform
