// The run buttons of the "Status" tab: both manual runs and Cancel, through the run driver.
#include <QCheckBox>
#include <QTabWidget>

#include "station/run_driver.h"
#include "gui/main_window.h"
#include "station/run_gate.h"

namespace ferrolin::gui {

namespace {
bool RunInProgress(const Station& station) {
    return station.RunMode == RM_Interactive || station.RunMode == RM_Unattended;
}
}  // namespace

void TFQuillomat::OnManual(bool withMessages) {
    // The buttons stay usable during a run (messages are processed), but a second run
    // started inside the first would copy the same files twice over and end the outer
    // run's state under it: a click during a run is ignored.
    if (RunInProgress(*station_) || station_->RunMode == RM_Starting) return;
    const auto runLock = TryTakeRunLock(station_->ProgramDir);
    if (!runLock) {
        station_->surfaces().SetStatusText("A run is active in " + station_->ProgramDir);
        return;
    }
    RunAllJobsManually(*station_, withMessages);
    ShowSendTime();
}

void TFQuillomat::OnCancelCopy() {
    CancelRun(*station_);
    Showing showing(showing_);
    Auto->setChecked(station_->Options.Auto);
}

void TFQuillomat::ShowRunSelection(int index) {
    // During a run the job being run is shown on "Source"; at its end the "Errors" tab.
    if (!RunInProgress(*station_)) return;
    RightTabs->setCurrentWidget(index >= 0 ? SourceTab : ErrorsTab);
}

}  // namespace ferrolin::gui
