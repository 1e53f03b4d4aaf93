#include "files/integers.h"

namespace ferrolin {

int64_t TIntegers::Total() const {
    int64_t total = 0;
    for (int32_t v : values_) total += v;
    return total;
}

int32_t TIntegers::Average() const {
    if (values_.empty()) return 0;
    return static_cast<int32_t>(Total() / Count());
}

int32_t TIntegers::Add(int32_t value) {
    values_.push_back(value);
    return Count() - 1;
}

void TIntegers::Delete(int32_t index) {
    if (index < 0 || index >= Count()) return;
    values_.erase(values_.begin() + index);
}

}  // namespace ferrolin
