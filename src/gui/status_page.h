#pragma once
// The "Status" tab: the run buttons, the next start, the "connected" box, the job list
// with its editing buttons and the job name field. A view over the Station; the window
// frame moves between the tabs when this one reports a click on a job line.
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "gui/qt_surfaces.h"
#include "schedule/auto_mode.h"
#include "schedule/send_time_editor.h"
#include "station/station.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ferrolin::gui {

class StatusPage : public QWidget {
    Q_OBJECT
  public:
    StatusPage(Station& station, AutoMode& autoMode, QtSurfaces& surfaces,
               QWidget* parent = nullptr);

    // A manual run, or one started by the automatic mode, is going on.

    QCheckBox* Auto = nullptr;
    QPushButton* BManual = nullptr;
    QPushButton* BManualN = nullptr;
    QPushButton* CancelCopy = nullptr;
    QLabel* NextStart = nullptr;
    QCheckBox* connected = nullptr;
    QCheckBox* RunMinimized = nullptr;
    QListWidget* JobList = nullptr;
    QPushButton* BEdit = nullptr;
    QPushButton* BNew = nullptr;
    QPushButton* BDel = nullptr;
    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;
    QLineEdit* JobNameEdit = nullptr;

    // Handlers, public so tests reach them the way a click does.
    void OnManual(bool withMessages);
    void OnCancelCopy();
    void OnEdit();
    void OnNew();
    void OnDel();
    void OnSave();
    void OnCancelEdit();
    void OnJobLineClicked(int row);
    void OnJobLineDoubleClicked(int row);

    // Showing the core's state.
    void ShowJobList();
    // Each line's icon and tooltip: the job's outcome the last time it ran.
    void ShowJobOutcomes();
    void ShowSelectedLine(int index);
    void ShowOptions();
    void ShowAuto();
    void ShowConnected();
    void ShowJobName();
    void ShowEditing(bool editing);

  signals:
    void jobLineClicked(int row);
    void jobLineDoubleClicked(int row);
    void runFinished();

  private:
    void Build();
    void Bind();

    Station& station_;
    AutoMode& autoMode_;
    QtSurfaces& surfaces_;
    FieldBinder<GlobalOptions> options_;
    FieldBinder<TransferJob> job_;
    bool showing_ = false;
};

}  // namespace ferrolin::gui
