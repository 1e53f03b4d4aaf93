#include "engine/share_logon.h"

#include "files/share_logon.h"

namespace ferrolin {

bool ShareLogonRefused(CopyContext& copy, const std::string& path, const std::string& userName,
                       const std::string& password) {
    // Local paths and jobs without a user name pass at once; a refused share has shown
    // its reason in the status text and paused for the operator to read it.
    return ConnectShare(copy.Status, path, userName, password, copy.Files.Connector()) != 0;
}

}  // namespace ferrolin
