#pragma once
// The program-wide options of the "Global" section.
#include <cstdint>
#include <string>

namespace ferrolin {

struct GlobalOptions {
    bool Auto = false;
    bool RunMinimized = false;
    bool CheckMPEGFiles = true;
    bool CopyCorruptFiles = true;
    bool SpezialScan = false;
    bool AbsolutSendTime = false;
    bool LogEndStatistic = false;
    bool SaveSuccessfulCopies = true;
    bool CopyOpenFiles = true;
    bool UploadInProgressCheck = false;
    bool CloseProgAfterJobs = false;
    std::string RebootAfterTimeout = "00:00";
    uint8_t TimeoutControl = 0;  // 0 none, 1 restart software, 2 restart computer
    bool NoFTPDisconnect = false;
    uint8_t SendTimeMode = 0;  // 0 Simple, 1 Enhanced
    std::string SendTimeSimpleInterval = "00:10:00";
    // Every copy reaches stable storage before it counts as made (not only those whose
    // source is deleted afterwards).
    bool durableCopies = false;

    bool operator==(const GlobalOptions&) const = default;
};

}  // namespace ferrolin
