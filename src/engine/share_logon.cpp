#include "engine/share_logon.h"

#include "common/log.h"
#include "engine/run_log.h"
#include "files/copy_context.h"
#include "files/share_logon.h"

namespace ferrolin {

bool ShareLogonRefused(RunLog& log, CopyContext& copy, const std::string& path,
                       const std::string& userName, const std::string& password) {
    // Local paths and jobs without a user name pass at once; a refused share has shown
    // its reason in the status text and paused for the operator to read it.
    if (ConnectShare(copy.Status, path, userName, password, copy.Files.Connector()) == 0)
        return false;
    std::string text = copy.Status.StatusStr;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    log.Failure("Logon to " + ShareRemoteName(path) + " refused: " + text);
    log.Tally.refused = true;
    return true;
}

}  // namespace ferrolin
