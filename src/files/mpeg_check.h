#pragma once
// The MPEG check: the video board vendor's SDK (librtdsdk.so, librtdutils.so in the
// program folder) reads a file's start and end time codes; a file of 10 frames or less
// counts as corrupt. Without the SDK the check is off and every file passes.
// Loaded once at start and unloaded at the end, on the user-interface thread.
#include <cstdint>
#include <string>

namespace ferrolin {

inline constexpr char kMpegSdkLibrary[] = "librtdsdk.so";
inline constexpr char kMpegUtilsLibrary[] = "librtdutils.so";

// Loads the SDK from Folder. 0 = both libraries loaded; -1 = librtdsdk.so missing;
// -2 = its rtdInitSystem missing; -3 = librtdutils.so missing (the check still works);
// -4 = rtdUtilsTga2Ybr missing.
int32_t LoadMpegLibraries(const std::string& Folder);
void UnloadMpegLibraries();

// True while the SDK is loaded with its initialisation entry.
bool MpegCheckAvailable();

// The log line the start-up writes for a load result; empty for results it keeps quiet.
std::string MpegLoadLogText(int32_t loadResult);

// The file's duration in frames at 25 frames per second from its time codes; 0 when the
// SDK cannot read the file (or is not loaded).
int32_t MpegDurationFrames(const std::string& Path);

// True when the file may be sent: the check is off (no SDK, or the job's "Check MPEG
// files" box clear), the name is not an MPEG name (".mpg", ".mpv", ".mpo" anywhere in the
// file name, any case), or it lasts more than 10 frames.
bool CheckMpegFile(const std::string& Path, bool CheckMpegFiles);

}  // namespace ferrolin
