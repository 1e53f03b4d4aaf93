#include "files/copy_context.h"

#include "platform/path.h"

namespace ferrolin {

std::string CopyContext::FileCopyLogPath() const {
    return platform::JoinPath(LogFolder, "FileCopy.log");
}

std::string CopyContext::MetadataLogPath() const {
    return platform::JoinPath(LogFolder, "Metadata.log");
}

}  // namespace ferrolin
