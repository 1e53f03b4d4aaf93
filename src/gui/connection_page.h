#pragma once
// The job editor's "Connection" tab: FTP, dial-up and mail settings of a job, bound to
// Station::Editor.
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace ferrolin::gui {

class ConnectionPage : public QWidget {
    Q_OBJECT
  public:
    explicit ConnectionPage(Station& station, QWidget* parent = nullptr);

    QCheckBox* passiveMode = nullptr;
    QComboBox* timeoutChoice = nullptr;
    QComboBox* reportLevel = nullptr;
    QLineEdit* sshKeyFile = nullptr;
    QGroupBox* RasGroup = nullptr;
    QComboBox* DialUpEntries = nullptr;
    QComboBox* dialUpFor = nullptr;
    QCheckBox* saveMailHeader = nullptr;
    QCheckBox* decodeMail = nullptr;
    QCheckBox* eraseFolderFirst = nullptr;
    QCheckBox* saveMailBody = nullptr;

    // Shows the job in the editor, and the dial-up entries with the chosen one.
    void Show();

  private:
    void Build();
    void Bind();

    Station& station_;
    FieldBinder<TransferJob> job_;
    bool showing_ = false;
};

}  // namespace ferrolin::gui
