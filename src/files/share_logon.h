#pragma once
// ConnectShare: logs on to the network share a path lies on, with the job's user name and
// password, before the path is used. Progress and failure go to the copier's status text.
#include <chrono>
#include <cstdint>
#include <string>

#include "files/copy_status.h"
#include "platform/share_connector.h"

namespace ferrolin {

// 0 = the path may be used now (also for local paths and an empty user name, which are
// left alone). Otherwise the error code, after "Error: " + its text was shown and a pause
// of failurePause let the operator read it. A credential conflict counts as success: the
// existing connection serves.
int32_t ConnectShare(CopyStatus& Status, const std::string& Path, const std::string& UserName,
                     const std::string& Password,
                     platform::ShareConnector& connector = platform::DefaultShareConnector(),
                     std::chrono::milliseconds failurePause = std::chrono::seconds(1));

// The share part of a path: up to, not including, its fourth separator
// ("//server/share/dir/file" -> "//server/share"); the whole path when it has fewer.
std::string ShareRemoteName(const std::string& Path);

}  // namespace ferrolin
