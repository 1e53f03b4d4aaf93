#include "files/rate_pacer.h"

#include <chrono>
#include <thread>

namespace ferrolin {

void RatePacer::AfterBlock(int64_t bytesPerSecond, int64_t limit) {
    if (limit <= 0) return;
    pause_ += bytesPerSecond > limit ? 1 : -1;
    if (pause_ < 1) {
        pause_ = 0;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_));
}

}  // namespace ferrolin
