#pragma once
// Which file system serves a path: this computer's disks, or, for a share path
// (//server/share/...), the share client the program's owner handed in. Without one,
// share paths go to the local side, which refuses them with ERROR_SHARE_UNREACHABLE.
// One per station (inside its copy context); the share client it points at outlives it.
#include <string>

#include "platform/file_system.h"
#include "platform/local_file_system.h"
#include "platform/share_connector.h"

namespace ferrolin::platform {

class FileSystems {
  public:
    FileSystem& For(const std::string& path);
    LocalFileSystem& Local() { return local_; }
    // True when both paths lie on this computer's disks.
    bool BothLocal(const std::string& a, const std::string& b);

    // The share client: its files and its logon. Null for both: shares cannot be reached.
    void SetShares(FileSystem* files, ShareConnector* connector);
    ShareConnector& Connector();

  private:
    LocalFileSystem local_;
    FileSystem* shares_ = nullptr;
    ShareConnector* connector_ = nullptr;
};

}  // namespace ferrolin::platform
