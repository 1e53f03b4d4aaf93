#pragma once
// The "Send time" tab: the schedule's mode, the simple interval, the weekday editor of the
// enhanced mode with its memo, and the next start. The weekday editor is the core's
// SendTimeEditor; the day lists are read from and saved to the configuration file.
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "gui/qt_surfaces.h"
#include "schedule/auto_mode.h"
#include "schedule/send_time_editor.h"
#include "station/station.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ferrolin::gui {

class SendTimePage : public QWidget {
    Q_OBJECT
  public:
    SendTimePage(Station& station, WeekdayListStore& store, QtSurfaces& surfaces,
                 QWidget* parent = nullptr);

    QComboBox* SendTimeMode = nullptr;
    QWidget* SimplePanel = nullptr;
    QWidget* EnhancedPanel = nullptr;
    QLineEdit* SendTimeSimpleIntervalE = nullptr;
    QComboBox* Tage = nullptr;
    QPushButton* BSaveSendTime = nullptr;
    QPlainTextEdit* SendTimeLines = nullptr;
    QLabel* NextFu10 = nullptr;

    // Handlers, public so tests reach them the way a click does.
    void OnTageSelected(int index);
    void OnSaveSendTime();

    // Shows the weekday editor's day and lines.
    void ShowSendTime();
    // Shows the mode and the simple interval of the global options.
    void ShowOptions();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    void Bind();
    void ShowPanels();

    Station& station_;
    WeekdayListStore& store_;
    QtSurfaces& surfaces_;
    FieldBinder<GlobalOptions> options_;
    bool showing_ = false;
};

}  // namespace ferrolin::gui
