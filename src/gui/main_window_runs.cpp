// The run buttons of the "Status" tab.
#include "gui/main_window.h"

namespace ferrolin::gui {

void TFQuillomat::OnManual(bool) {
    surfaces_.AppendError("Runs from the window are not available in this build yet");
}

void TFQuillomat::OnCancelCopy() {}

}  // namespace ferrolin::gui
