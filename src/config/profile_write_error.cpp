#include "config/profile_write_error.h"

namespace ferrolin {

ProfileWriteError::ProfileWriteError(const std::string& path, int32_t error)
    : std::runtime_error("Unable to write to " + path), path_(path), error_(error) {}

}  // namespace ferrolin
