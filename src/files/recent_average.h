#pragma once
// The last few values and their average: the transfer rates of a job's latest files, for
// its progress line. User-interface thread only.
#include <cstddef>
#include <cstdint>
#include <deque>

namespace ferrolin {

class RecentAverage {
  public:
    explicit RecentAverage(size_t capacity) : capacity_(capacity) {}
    // Adds value; beyond the capacity the oldest value drops out.
    void Add(int32_t value);
    // The average of the values held, truncated; 0 when none are.
    int32_t Average() const;

  private:
    size_t capacity_;
    std::deque<int32_t> values_;
};

}  // namespace ferrolin
