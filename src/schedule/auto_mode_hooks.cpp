// The real operations behind the automatic mode's hooks.
#include "schedule/auto_mode.h"

namespace ferrolin {

AutoModeHooks DefaultAutoModeHooks() {
    AutoModeHooks hooks;
    return hooks;
}

}  // namespace ferrolin
