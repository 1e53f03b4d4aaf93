#include "support/clock_rights.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ferrolin::test {

bool DropClockSettingRights() {
    // Out of the bounding set first, so no program started later gets it back (a root
    // process normally regains every bounding capability when it executes a program).
    prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);

    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    const unsigned index = CAP_SYS_TIME / 32;
    const unsigned bit = 1u << (CAP_SYS_TIME % 32);
    data[index].effective &= ~bit;
    data[index].permitted &= ~bit;
    data[index].inheritable &= ~bit;
    if (syscall(SYS_capset, &header, data) != 0) return false;

    if (syscall(SYS_capget, &header, data) != 0) return false;
    const bool stillEffective = (data[index].effective & bit) != 0;
    const bool stillBounded = prctl(PR_CAPBSET_READ, CAP_SYS_TIME, 0, 0, 0) == 1;
    return !stillEffective && !stillBounded;
}

}  // namespace ferrolin::test
