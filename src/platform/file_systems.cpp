#include "platform/file_systems.h"

#include "platform/path.h"

namespace ferrolin::platform {

FileSystem& FileSystems::For(const std::string& path) {
    if (shares_ != nullptr && IsSharePath(path)) return *shares_;
    return local_;
}

bool FileSystems::BothLocal(const std::string& a, const std::string& b) {
    return For(a).IsLocal() && For(b).IsLocal();
}

void FileSystems::SetShares(FileSystem* files, ShareConnector* connector) {
    shares_ = files;
    connector_ = connector;
}

ShareConnector& FileSystems::Connector() {
    return connector_ != nullptr ? *connector_ : DefaultShareConnector();
}

}  // namespace ferrolin::platform
