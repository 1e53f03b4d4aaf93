#include "engine/share_logon.h"

#include "common/log.h"
#include "engine/run_context.h"
#include "files/share_logon.h"

namespace ferrolin {

bool ShareLogonRefused(RunContext& run, const std::string& path, const std::string& userName,
                       const std::string& password) {
    // Local paths and jobs without a user name pass at once; a refused share has shown
    // its reason in the status text and paused for the operator to read it.
    if (ConnectShare(run.Copy.Status, path, userName, password, run.Copy.Files.Connector()) == 0)
        return false;
    std::string text = run.Copy.Status.StatusStr;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    run.LogFailure("Logon to " + ShareRemoteName(path) + " refused: " + text);
    run.Tally.refused = true;
    return true;
}

}  // namespace ferrolin
