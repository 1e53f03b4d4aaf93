#pragma once
// The logon to a network share before a job uses it, as the job's file loops need it:
// true when the share refused, so the path must not be used.
#include <string>

#include "files/copy_context.h"

namespace ferrolin {

bool ShareLogonRefused(CopyContext& copy, const std::string& path, const std::string& userName,
                       const std::string& password);

}  // namespace ferrolin
