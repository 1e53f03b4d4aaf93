#include "engine/share_logon.h"

#include <chrono>
#include <thread>

#include "common/text.h"
#include "files/copy_status.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin {

bool ShareLogonRefused(const std::string& path, const std::string& userName,
                       const std::string& password) {
    (void)password;
    // Local paths and jobs without a user name rely on the access the program already has.
    if (!platform::IsSharePath(path) || userName.empty()) return false;
    // This build reaches no network shares: the logon is refused with a readable reason,
    // and the pause lets an operator read it before the run moves on.
    CopyStatus.SetStatus("Error: " + SysErrorText(platform::ERROR_SHARE_UNREACHABLE));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return true;
}

}  // namespace ferrolin
