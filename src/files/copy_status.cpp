#include "files/copy_status.h"

namespace ferrolin {

void CopyStatus::SetStatus(std::string_view text) {
    // The status text has a fixed capacity; longer texts are cut, never overrun.
    if (text.size() > kStatusStrCapacity) text = text.substr(0, kStatusStrCapacity);
    StatusStr.assign(text.data(), text.size());
}

}  // namespace ferrolin
