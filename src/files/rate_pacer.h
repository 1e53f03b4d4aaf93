#pragma once
// Holds a copy loop to a byte rate: after each block the rate so far is compared with the
// limit, and the pause after the block grows by a millisecond while the copy is too fast
// and shrinks by one while it is not. Small steps keep the rate steady over blocks of
// different cost; the pause never goes below nothing. Used by the copier's own block loop
// and by the copy worker, one pacer per copy.
#include <cstdint>

namespace ferrolin {

class RatePacer {
  public:
    // After a block: adjusts the pause to the rate so far (bytes a second) and sleeps it.
    // A limit of 0 or less means no limit: no pause.
    void AfterBlock(int64_t bytesPerSecond, int64_t limit);
    // The pause now made after each block, in milliseconds.
    int32_t PauseMilliseconds() const { return pause_; }

  private:
    int32_t pause_ = 0;
};

}  // namespace ferrolin
