#pragma once
// Transfer progress as the FTP session shows it: the speed and time-remaining text, the
// gauge percentage, and the stall rule (no progress for five minutes fails a transfer).
#include <cstdint>
#include <string>

#include "common/clock.h"

namespace ferrolin {

// "Download speed 1234.50 KB/s; Time remaining  0: 1: 5" ("Uploade speed ..." for an
// upload). kbps 0 gives no time part. The decimal separator is the program's.
std::string FormatTransferText(bool download, double kbps, int64_t bytesToTransfer,
                               int64_t bytesDone, char decimalSeparator);

// bytesDone / bytesToTransfer as a whole percentage, halves to the even number; 0 when
// the expected size is 0 or less.
int TransferPercent(int64_t bytesDone, int64_t bytesToTransfer);

// Declares a transfer stalled when the value it watches has not changed since the check
// five minutes earlier.
class StallWatch {
  public:
    explicit StallWatch(const Clock& clock) : clock_(clock) {}
    void Start();
    // True once value was the same at a check and at the check five minutes before.
    bool Stalled(int64_t value);

  private:
    const Clock& clock_;
    TDateTime deadline_ = 0;
    int64_t last_ = 0;
};

}  // namespace ferrolin
