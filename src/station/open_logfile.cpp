#include "station/open_logfile.h"

#include <string>

#include "platform/desktop_open.h"

namespace ferrolin {

void OpenLogfile(Station& station) {
    if (platform::OpenWithDesktopViewer(station.LogFile)) return;
    station.surfaces().Ask("Error", std::string("could not start ") + platform::kDesktopOpener,
                           Buttons::Ok);
}

}  // namespace ferrolin
