#pragma once
// What the automatic mode and the watchdog need beyond a run's context: the "Send time"
// tab, the next start (its text is the one store of it), the day change and the special
// scan's count. The station is one.
#include <cstdint>
#include <string>

#include "common/datetime.h"
#include "engine/run_context.h"
#include "schedule/send_time_editor.h"

namespace ferrolin {

class ScheduleContext : public RunContext {
public:
    using RunContext::RunContext;

    SendTimeEditor SendTime;         // the "Send time" tab: weekday box and its lines
    std::string NextFu10;            // the next start as text: the one store of it
    TDateTime LastDayChange = 0;     // date of the last day change; 0 = none yet
    int32_t SpecialScanCount = 0;    // files seen in SpecialScanFolder at the last tick
    std::string SpecialScanFolder;
    bool Editing = false;            // a job is being edited: the "Auto" box is disabled
};

}  // namespace ferrolin
