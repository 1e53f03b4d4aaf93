#pragma once
// What the automatic mode and the watchdog need beyond a run's context: the "Send time"
// tab, the next start, the day change and the special
// scan's count. The station is one.
#include <cstdint>
#include <optional>
#include <string>

#include "common/datetime.h"
#include "engine/run_resources.h"
#include "schedule/send_time_editor.h"

namespace ferrolin {

class ScheduleContext : public RunResources {
  public:
    using RunResources::RunResources;

    SendTimeEditor SendTime;             // the "Send time" tab: weekday box and its lines
    std::optional<TDateTime> NextStart;  // the automatic mode's next start; none yet
    TDateTime LastDayChange = 0;         // date of the last day change; 0 = none yet
    int32_t SpecialScanCount = 0;        // files seen in SpecialScanFolder at the last tick
    std::string SpecialScanFolder;
    bool Editing = false;  // a job is being edited: the "Auto" box is disabled
};

}  // namespace ferrolin
