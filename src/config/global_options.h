#pragma once
// The program-wide options of the "Global" section.
#include <cstdint>
#include <string>

namespace ferrolin {

struct GlobalOptions {
    bool autoMode = false;
    bool runMinimized = false;
    bool checkMpegFiles = true;
    bool copyCorruptFiles = true;
    bool specialScan = false;
    bool absoluteSendTime = false;
    bool logEndStatistic = false;
    bool logSuccessfulCopies = true;
    bool copyOpenFiles = true;
    bool uploadInProgressCheck = false;
    bool closeAfterJobs = false;
    std::string rebootAfterTimeout = "00:00";
    uint8_t timeoutControl = 0;  // 0 none, 1 restart software, 2 restart computer
    bool keepFtpConnected = false;
    uint8_t sendTimeMode = 0;  // 0 Simple, 1 Enhanced
    std::string sendTimeSimpleInterval = "00:10:00";
    // Every copy reaches stable storage before it counts as made (not only those whose
    // source is deleted afterwards).
    bool durableCopies = false;

    bool operator==(const GlobalOptions&) const = default;
};

}  // namespace ferrolin
