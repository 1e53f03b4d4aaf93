#include "engine/ftp_remote_folders.h"

#include "remote/ftp_session.h"

namespace ferrolin {

FtpRemoteFolders::FtpRemoteFolders(FtpSession& ftp, const std::string& root) : ftp_(ftp) {
    root_ = root.empty() ? std::string("/") : root;
    if (root_.back() != '/') root_ += '/';
}

FtpRemoteFolders::Folder* FtpRemoteFolders::Enter(const std::string& relative, std::string& error) {
    if (auto known = folders_.find(relative); known != folders_.end()) return &known->second;
    const size_t slash = relative.rfind('/');
    Folder* parent = nullptr;
    if (!relative.empty()) {
        parent =
            Enter(slash == std::string::npos ? std::string() : relative.substr(0, slash), error);
        if (parent == nullptr) return nullptr;
    }
    Folder folder;
    folder.path = PathOf(relative);
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    // A subfolder its parent's complete listing does not hold is made without asking.
    bool entered = false;
    if (parent == nullptr || !parent->listed || parent->names.count(name) != 0) {
        ftp_.ChangeDir(folder.path, true);
        entered = ftp_.FtpState() != FtpOperationState::Failed;
    }
    if (entered) {
        folder.listed = ftp_.ListingComplete();
        for (const FtpEntry& entry : ftp_.Listing()) folder.names.insert(entry.name);
    } else if (parent != nullptr) {
        if (!ftp_.MakeDir(folder.path)) {
            error = "FTP folder " + folder.path + " could not be made: " + ftp_.LastError();
            return nullptr;
        }
        folder.listed = true;  // new and empty
        parent->names.insert(name);
    }
    return &folders_.emplace(relative, std::move(folder)).first->second;
}

std::string FtpRemoteFolders::PathOf(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + relative + '/';
}

void FtpRemoteFolders::Reserve(const std::string& relative, const std::string& name) {
    reserved_[PathOf(relative)].insert(name);
}

bool FtpRemoteFolders::Taken(const Folder& folder, const std::string& name) const {
    if (folder.names.count(name) != 0) return true;
    const auto reserved = reserved_.find(folder.path);
    return reserved != reserved_.end() && reserved->second.count(name) != 0;
}

}  // namespace ferrolin
