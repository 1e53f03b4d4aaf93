#pragma once
// A job list to try the program with, for an empty program folder: one checked folder job
// "Demo" from demo-source to demo-destination, and a few small files in the source. An
// existing Ferrolin.INI is never touched.
#include <string>

#include "station/station.h"

namespace ferrolin {

enum class DemoConfigResult { Written, AlreadyThere, Failed };

struct DemoConfigOutcome {
    DemoConfigResult result = DemoConfigResult::Failed;
    std::string failure;  // what could not be made, for Failed
};

DemoConfigOutcome WriteDemoConfig(Station& station);

}  // namespace ferrolin
