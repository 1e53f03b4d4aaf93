#include "files/log_folder.h"

#include <mutex>

#include "platform/program_dir.h"

namespace ferrolin {
namespace {

std::mutex& FolderMutex() {
    static std::mutex m;
    return m;
}

std::string& Folder() {
    static std::string folder;
    return folder;
}

}  // namespace

std::string FilesLogFolder() {
    std::lock_guard lock(FolderMutex());
    if (Folder().empty()) Folder() = platform::DetectProgramDir();
    return Folder();
}

void SetFilesLogFolder(std::string folder) {
    std::lock_guard lock(FolderMutex());
    Folder() = std::move(folder);
}

}  // namespace ferrolin
