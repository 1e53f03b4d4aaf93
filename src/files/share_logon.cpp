#include "files/share_logon.h"

#include <thread>

#include "common/text.h"
#include "files/copy_status.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin {

std::string ShareRemoteName(const std::string& Path) {
    int separators = 0;
    for (size_t i = 0; i < Path.size(); ++i) {
        if (Path[i] == platform::kPathSeparator && ++separators == 4) return Path.substr(0, i);
    }
    return Path;
}

int32_t ConnectShare(CopyStatus& Status, const std::string& Path, const std::string& UserName,
                     const std::string& Password, platform::ShareConnector& connector,
                     std::chrono::milliseconds failurePause) {
    if (!platform::IsSharePath(Path) || UserName.empty()) return 0;
    Status.SetStatus("try to connecting...");
    int32_t code = connector.AddConnection(ShareRemoteName(Path), UserName, Password);
    if (code == 0) {
        Status.SetStatus("Connected");
        return 0;
    }
    std::string text;
    if (code == platform::ERROR_EXTENDED_ERROR) {
        text = connector.LastExtendedError() + " Extendet_Error";
    } else if (code == platform::ERROR_SESSION_CREDENTIAL_CONFLICT) {
        text = "Session_Credential_Conflict";
        code = 0;  // the connection that is already there serves
    } else {
        text = SysErrorText(code);
    }
    Status.SetStatus("Error: " + text);
    std::this_thread::sleep_for(failurePause);
    return code;
}

}  // namespace ferrolin
