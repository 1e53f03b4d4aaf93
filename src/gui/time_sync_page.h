#pragma once
// The "Time sync" tab: the time-synchronisation panel. Its controls edit the core's
// TimeSyncSettings directly (saved with Configuration > Save); "Sync now" and the protocol
// choice go through TimeSyncService, which reports through the surfaces.
#include <QWidget>

#include "gui/field_binder.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ferrolin::gui {

class TimeSyncPage : public QWidget {
    Q_OBJECT
  public:
    explicit TimeSyncPage(Station& station, QWidget* parent = nullptr);

    QCheckBox* TimeSyncEnable = nullptr;
    QLineEdit* TimeSyncServer = nullptr;
    QComboBox* TimeSyncProtocol = nullptr;
    QLineEdit* TimeSyncInterval = nullptr;
    QLineEdit* TimeSyncTimeOffset = nullptr;
    QLineEdit* TimeSyncMaxCorrection = nullptr;
    QPushButton* TimeSyncNowButton = nullptr;

    void OnSyncNow();
    // Shows the settings as the core holds them now.
    void Show();

  private:
    void Build();
    void Bind();

    Station& station_;
    FieldBinder<TimeSyncSettings> settings_;
    bool showing_ = false;
};

}  // namespace ferrolin::gui
