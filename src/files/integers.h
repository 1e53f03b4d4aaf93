#pragma once
// TIntegers: a small list of integers with their sum and average, used for the average
// transfer rate of the last files of a job. User-interface thread only.
#include <cstdint>
#include <vector>

namespace ferrolin {

class TIntegers {
  public:
    int32_t Count() const { return static_cast<int32_t>(values_.size()); }
    int64_t Total() const;
    // Total / Count, truncated; 0 for an empty list.
    int32_t Average() const;

    // Appends value and returns its index.
    int32_t Add(int32_t value);
    // Removes the entry at index; an index outside the list changes nothing.
    void Delete(int32_t index);

  private:
    std::vector<int32_t> values_;
};

}  // namespace ferrolin
