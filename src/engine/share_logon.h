#pragma once
// The logon to a network share before a job uses it, as the job's file loops need it:
// true when the share refused, so the path must not be used. The refusal's text goes to
// the run's log as well as to the copier's status.
#include <string>

namespace ferrolin {

class RunLog;
struct CopyContext;

bool ShareLogonRefused(RunLog& log, CopyContext& copy, const std::string& path,
                       const std::string& userName, const std::string& password);

}  // namespace ferrolin
