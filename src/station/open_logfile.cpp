#include "station/open_logfile.h"

#include "platform/desktop_open.h"
#include "platform/whole_file.h"

namespace ferrolin {

LogfileShown OpenLogfile(Station& station) {
    if (!platform::WindowedViewerFor(station.LogFile).empty() &&
        platform::OpenWithDesktopViewer(station.LogFile))
        return LogfileShown::ByDesktop;
    return LogfileShown::InWindow;
}

std::string LogfileText(const Station& station) {
    std::string text;
    platform::ReadWholeFile(station.LogFile, text);
    return text;
}

}  // namespace ferrolin
