#pragma once
// The failure a write of the configuration file ends in. It has its own header so that a
// window that only shows it need not know the profile file.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace ferrolin {

// A write the file system refused. what() is "Unable to write to <path>".
class ProfileWriteError : public std::runtime_error {
public:
    ProfileWriteError(const std::string& path, int32_t error);
    const std::string& path() const { return path_; }
    int32_t error() const { return error_; }  // errno or a named platform code

private:
    std::string path_;
    int32_t error_;
};

}  // namespace ferrolin
