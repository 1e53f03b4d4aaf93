#include "engine/share_logon.h"

#include "files/share_logon.h"

namespace ferrolin {

bool ShareLogonRefused(TCopyStatus& status, const std::string& path, const std::string& userName,
                       const std::string& password) {
    // Local paths and jobs without a user name pass at once; a refused share has shown
    // its reason in the status text and paused for the operator to read it.
    return ConnectShare(status, path, userName, password) != 0;
}

}  // namespace ferrolin
