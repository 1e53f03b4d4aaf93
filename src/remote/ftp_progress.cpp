#include "remote/ftp_progress.h"

#include <cmath>
#include <cstdio>

#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {
constexpr TDateTime kStallWindow = 5 * kOneMinute;
}  // namespace

std::string FormatTransferText(bool download, double kbps, int64_t bytesToTransfer,
                               int64_t bytesDone, char decimalSeparator) {
    std::string timeText;
    if (kbps > 0) {
        // A transfer that moved more than announced has nothing left, not negative time.
        const double left = static_cast<double>(bytesToTransfer - bytesDone) / 1024.0 / kbps;
        const int64_t remaining = left > 0 ? static_cast<int64_t>(left) : 0;
        char clock[64];
        std::snprintf(clock, sizeof(clock), "%2d:%2d:%2d", static_cast<int>(remaining / 3600),
                      static_cast<int>((remaining / 60) % 60), static_cast<int>(remaining % 60));
        timeText = std::string(kFtpTimeRemaining) + clock;
    }
    char speed[64];
    std::snprintf(speed, sizeof(speed), "%.2f", kbps);
    std::string speedText(speed);
    if (const size_t dot = speedText.find('.'); dot != std::string::npos) {
        speedText[dot] = decimalSeparator;
    }
    return std::string(download ? kFtpDownloadSpeed : kFtpUploadSpeed) + speedText + " KB/s; " +
           timeText;
}

int TransferPercent(int64_t bytesDone, int64_t bytesToTransfer) {
    if (bytesToTransfer <= 0) return 0;
    const double percent =
        static_cast<double>(bytesDone) / static_cast<double>(bytesToTransfer) * 100.0;
    return static_cast<int>(std::nearbyint(percent));
}

void StallWatch::Start() {
    deadline_ = clock_.Now() + kStallWindow;
    last_ = 0;
}

bool StallWatch::Stalled(int64_t value) {
    const TDateTime now = clock_.Now();
    if (now <= deadline_) return false;
    if (value == last_) return true;
    last_ = value;
    deadline_ = now + kStallWindow;
    return false;
}

}  // namespace ferrolin
