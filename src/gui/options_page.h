#pragma once
// The "Options" tab: the global options of copying, the automatic mode and the log,
// bound to Station::Options.
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ferrolin::gui {

class OptionsPage : public QWidget {
    Q_OBJECT
  public:
    explicit OptionsPage(Station& station, QWidget* parent = nullptr);

    QCheckBox* CopyOpenFiles = nullptr;
    QCheckBox* CheckMPEGFiles = nullptr;
    QCheckBox* UploadInProgressCheck = nullptr;
    QLineEdit* ERebootAfterTimeout = nullptr;
    QComboBox* TimeoutControl = nullptr;
    QCheckBox* CloseProgAfterJobs = nullptr;
    QCheckBox* SpezialScan = nullptr;
    QCheckBox* AbsolutSendTime = nullptr;
    QCheckBox* CopyCorruptFiles = nullptr;
    QCheckBox* LogEndStatistic = nullptr;
    QCheckBox* SaveSuccessfulCopies = nullptr;
    QCheckBox* NoFTPDisconnect = nullptr;

    // Shows the options as the core holds them now.
    void Show();
    // The MPEG options are offered only when the MPEG check library loaded.
    void ShowMpegOptions(bool available);

  private:
    void Build();
    void Bind();

    FieldBinder<GlobalOptions> options_;
};

}  // namespace ferrolin::gui
