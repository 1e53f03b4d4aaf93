#pragma once
// The MPEG check: the video board vendor's SDK (librtdsdk.so, librtdutils.so in the
// program folder) reads a file's start and end time codes; a file of 10 frames or less
// counts as corrupt. Without the SDK the check is off and every file passes.
// Loaded once at start and unloaded at the end, on the user-interface thread; the
// station owns the loaded libraries.
#include <cstdint>
#include <string>

#include "platform/dynlib.h"

namespace ferrolin {

// The SDK's entry points the program calls.
using RtdFileInfo = uint16_t (*)(const char* path, void** info);
using RtdFreeInfoBuf = void (*)(void* info);

// The loaded SDK of one station.
struct MpegLibraries {
    platform::DynamicLibrary sdk;
    platform::DynamicLibrary utils;
    RtdFileInfo fileInfo = nullptr;
    RtdFreeInfoBuf freeInfoBuf = nullptr;
    bool available = false;
};

inline constexpr char kMpegSdkLibrary[] = "librtdsdk.so";
inline constexpr char kMpegUtilsLibrary[] = "librtdutils.so";

// Loads the SDK from Folder. 0 = both libraries loaded; -1 = librtdsdk.so missing;
// -2 = its rtdInitSystem missing; -3 = librtdutils.so missing (the check still works);
// -4 = rtdUtilsTga2Ybr missing.
int32_t LoadMpegLibraries(MpegLibraries& Libraries, const std::string& Folder);
void UnloadMpegLibraries(MpegLibraries& Libraries);

// True while the SDK is loaded with its initialisation entry.
bool MpegCheckAvailable(const MpegLibraries& Libraries);

// The log line the start-up writes for a load result; empty for results it keeps quiet.
std::string MpegLoadLogText(int32_t loadResult);

// The file's duration in frames at 25 frames per second from its time codes; 0 when the
// SDK cannot read the file (or is not loaded).
int32_t MpegDurationFrames(const MpegLibraries& Libraries, const std::string& Path);

// True when the file may be sent: the check is off (no SDK, or the job's "Check MPEG
// files" box clear), the name is not an MPEG name (".mpg", ".mpv", ".mpo" anywhere in the
// file name, any case), or it lasts more than 10 frames.
bool CheckMpegFile(const MpegLibraries& Libraries, const std::string& Path, bool CheckMpegFiles);

// Whether the check looks at this file at all: the SDK loaded, the box checked, an MPEG
// name (".mpg", ".mpv", ".mpo" anywhere in the file name, any case).
bool MpegCheckApplies(const MpegLibraries& Libraries, const std::string& Path,
                      bool CheckMpegFiles);

}  // namespace ferrolin
