#pragma once
// The job editor's "Source" tab: where a job's files come from, bound to Station::Editor.
#include <QWidget>

#include "config/global_options.h"
#include "config/transfer_job.h"
#include "gui/field_binder.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace ferrolin::gui {

class SourcePage : public QWidget {
    Q_OBJECT
  public:
    explicit SourcePage(Station& station, QWidget* parent = nullptr);

    QComboBox* sourceType = nullptr;
    QLineEdit* SourceEdit = nullptr;
    QToolButton* SourceFolderButton = nullptr;
    QLineEdit* sourceUser = nullptr;
    QLineEdit* sourcePassword = nullptr;
    QCheckBox* deleteSource = nullptr;
    QLineEdit* compareListFile = nullptr;
    QLineEdit* excludeExtensions = nullptr;
    QComboBox* subfolders = nullptr;

    // Shows the job in the editor.
    void Show();

  private:
    void Build();
    void Bind();

    Station& station_;
    FieldBinder<TransferJob> job_;
};

}  // namespace ferrolin::gui
