#include "files/mpeg_check.h"

#include <cstring>

#include "common/text.h"
#include "files/copy_worker.h"
#include "platform/path.h"

namespace ferrolin {
namespace {

// Layout of the SDK's information block, as far as the program reads it.
constexpr size_t kValidFlagOffset = 4;
constexpr size_t kStreamPointerOffset = 12;
constexpr size_t kStartTimeCodeOffset = 108;
constexpr size_t kEndTimeCodeOffset = 122;

uint16_t U16At(const void* base, size_t offset) {
    uint16_t v;
    std::memcpy(&v, static_cast<const char*>(base) + offset, sizeof v);
    return v;
}

// hours, minutes, seconds and frames at offset, as frames at 25 per second.
int32_t TimeCodeFrames(const void* stream, size_t offset) {
    return U16At(stream, offset) * 90000 + U16At(stream, offset + 2) * 1500 +
           U16At(stream, offset + 4) * 25 + U16At(stream, offset + 6);
}

}  // namespace

int32_t LoadMpegLibraries(MpegLibraries& s, const std::string& Folder) {
    UnloadMpegLibraries(s);
    s.sdk = platform::DynamicLibrary::Open(platform::JoinPath(Folder, kMpegSdkLibrary));
    if (!s.sdk.IsLoaded()) return -1;
    if (s.sdk.Symbol("rtdInitSystem") == nullptr) {
        s.sdk.Close();
        return -2;
    }
    s.fileInfo = reinterpret_cast<RtdFileInfo>(s.sdk.Symbol("rtdFileInfo"));
    s.freeInfoBuf = reinterpret_cast<RtdFreeInfoBuf>(s.sdk.Symbol("rtdFreeInfoBuf"));
    s.available = true;
    s.utils = platform::DynamicLibrary::Open(platform::JoinPath(Folder, kMpegUtilsLibrary));
    if (!s.utils.IsLoaded()) return -3;
    if (s.utils.Symbol("rtdUtilsTga2Ybr") == nullptr) return -4;
    return 0;
}

void UnloadMpegLibraries(MpegLibraries& s) {
    s.available = false;
    s.fileInfo = nullptr;
    s.freeInfoBuf = nullptr;
    s.utils.Close();
    s.sdk.Close();
}

bool MpegCheckAvailable(const MpegLibraries& Libraries) { return Libraries.available; }

std::string MpegLoadLogText(int32_t loadResult) {
    if (loadResult == 0) return "Load of Optibase dll's successful";
    if (loadResult == -3) return "Load of Optibase dll's ok except rtdutils.dll";
    return {};
}

int32_t MpegDurationFrames(const MpegLibraries& s, const std::string& Path) {
    // An SDK without the file query reads nothing: every file then counts as corrupt,
    // as one the SDK cannot read would.
    if (!s.available || s.fileInfo == nullptr) return 0;
    void* info = nullptr;
    const uint16_t status = s.fileInfo(Path.c_str(), &info);
    int32_t frames = 0;
    if (status == 0 && info != nullptr && U16At(info, kValidFlagOffset) != 0) {
        const void* stream = nullptr;
        std::memcpy(&stream, static_cast<const char*>(info) + kStreamPointerOffset,
                    sizeof stream);
        if (stream != nullptr) {
            frames = TimeCodeFrames(stream, kEndTimeCodeOffset) -
                     TimeCodeFrames(stream, kStartTimeCodeOffset);
        }
    }
    if (info != nullptr && s.freeInfoBuf != nullptr) s.freeInfoBuf(info);
    return frames;
}

bool IsMpegFileName(const std::string& Path) {
    const std::string name = AsciiLower(FileNamePart(Path));
    return name.find(".mpg") != std::string::npos || name.find(".mpv") != std::string::npos ||
           name.find(".mpo") != std::string::npos;
}

bool MpegCheckApplies(const MpegLibraries& Libraries, const std::string& Path,
                      bool CheckMpegFiles) {
    return MpegCheckAvailable(Libraries) && CheckMpegFiles && IsMpegFileName(Path);
}

bool CheckMpegFile(const MpegLibraries& Libraries, const std::string& Path,
                   bool CheckMpegFiles) {
    if (!MpegCheckApplies(Libraries, Path, CheckMpegFiles)) return true;
    return MpegDurationFrames(Libraries, Path) > 10;
}

}  // namespace ferrolin
