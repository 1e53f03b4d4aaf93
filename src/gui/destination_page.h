#pragma once
// The job editor's "Destination" tab: where a job's files go and how they are copied,
// bound to Station::Editor. The delete delay is offered only for "Source is master".
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;
class QVBoxLayout;

namespace ferrolin::gui {

class DestinationPage : public QWidget {
    Q_OBJECT
  public:
    explicit DestinationPage(Station& station, QWidget* parent = nullptr);

    QLineEdit* DestinationEdit = nullptr;
    QToolButton* DestinationFolderButton = nullptr;
    QLineEdit* destinationUser = nullptr;
    QLineEdit* destinationPassword = nullptr;
    QComboBox* CBuffering = nullptr;
    QComboBox* CCopyMode = nullptr;
    QLineEdit* deleteDelay = nullptr;
    QCheckBox* addTimeStamp = nullptr;
    QLineEdit* timeStampFormat = nullptr;
    QLineEdit* maxByteRate = nullptr;
    QCheckBox* useTempFile = nullptr;

    // Shows the job in the editor.
    void Show();

  private:
    void Build();
    void BuildFolderRows(QVBoxLayout* layout);
    void BuildCopyModeGroup(QVBoxLayout* layout);
    void BuildBufferAndRateRow(QVBoxLayout* layout);
    void BuildTimeStampRow(QVBoxLayout* layout);
    void Bind();

    Station& station_;
    FieldBinder<TransferJob> job_;
};

}  // namespace ferrolin::gui
