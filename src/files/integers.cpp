#include "files/integers.h"

#include <algorithm>

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

void TIntegers::ResetValues() { std::fill(values_.begin(), values_.end(), 0); }

void TIntegers::AddIntegers(const TIntegers& other) {
    // A copy first, so a list may append itself.
    const std::vector<int32_t> add = other.values_;
    values_.insert(values_.end(), add.begin(), add.end());
}

void TIntegers::Assign(const TIntegers& source) {
    if (&source == this) return;
    values_ = source.values_;
}

int32_t TIntegers::operator[](int32_t index) const {
    if (index < 0 || index >= Count()) return -1;
    return values_[static_cast<size_t>(index)];
}

}  // namespace ferrolin
