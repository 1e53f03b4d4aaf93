#include "files/recent_average.h"

#include <numeric>

namespace ferrolin {

void RecentAverage::Add(int32_t value) {
    values_.push_back(value);
    if (values_.size() > capacity_) values_.pop_front();
}

int32_t RecentAverage::Average() const {
    if (values_.empty()) return 0;
    const int64_t total = std::accumulate(values_.begin(), values_.end(), int64_t{0});
    return static_cast<int32_t>(total / static_cast<int64_t>(values_.size()));
}

}  // namespace ferrolin
