// The main window's handlers: the job list and editor buttons, the folder buttons, the
// send-time editor, the menu; and how the window shows the core's state again.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "common/memo_lines.h"
#include "gui/main_window.h"
#include "station/open_logfile.h"
#include "station/job_editor_commands.h"
#include "station/job_list_commands.h"
#include "station/station_config.h"

namespace ferrolin::gui {


void TFQuillomat::ConnectHandlers() {
    connect(Auto, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) station_->Automatic().SetAuto(on);
    });
    connect(BManual, &QPushButton::clicked, this, [this] { OnManual(true); });
    connect(BManualN, &QPushButton::clicked, this, [this] { OnManual(false); });
    connect(CancelCopy, &QPushButton::clicked, this, &TFQuillomat::OnCancelCopy);
    connect(Status, &QPushButton::clicked, this, &TFQuillomat::OnReset);
    connect(BEdit, &QPushButton::clicked, this, &TFQuillomat::OnEdit);
    connect(BNew, &QPushButton::clicked, this, &TFQuillomat::OnNew);
    connect(BDel, &QPushButton::clicked, this, &TFQuillomat::OnDel);
    connect(BSave, &QPushButton::clicked, this, &TFQuillomat::OnSave);
    connect(BCancel, &QPushButton::clicked, this, &TFQuillomat::OnCancelEdit);
    connect(CheckListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!showing_) OnJobLineClicked(row);
    });
    connect(CheckListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = CheckListBox1->row(item);
        if (!showing_ && row != station_->SelectedJob) OnJobLineClicked(row);
    });
    connect(CheckListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        OnJobLineDoubleClicked(CheckListBox1->row(item));
    });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = CheckListBox1->row(item);
        if (showing_ || row < 0 || static_cast<size_t>(row) >= station_->Jobs.size()) return;
        station_->Jobs[static_cast<size_t>(row)].checked = item->checkState() == Qt::Checked;
    });
    connect(BitBtn5, &QToolButton::clicked, this, [this] { OnFolderButton(Sendeverzeichnis); });
    connect(BitBtn1, &QToolButton::clicked, this, [this] { OnFolderButton(Empfangsverzeichnis); });
    connect(Tage, &QComboBox::activated, this, &TFQuillomat::OnTageSelected);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (showing_) return;
        station_->SendTime.EditLines(SplitMemoLines(U(Memo1->toPlainText())));
        BSaveSendTime->setEnabled(station_->SendTime.Changed());
    });
    connect(BSaveSendTime, &QPushButton::clicked, this, &TFQuillomat::OnSaveSendTime);
}

bool TFQuillomat::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Tage && event->type() == QEvent::FocusIn) station_->SendTime.DayBoxFocused();
    return QMainWindow::eventFilter(watched, event);
}

// --- Job list and editor ---

void TFQuillomat::OnJobLineClicked(int row) {
    ClickJobLine(*station_, row);
    if (RightTabs->currentWidget() == ErrorsTab) RightTabs->setCurrentWidget(SourceTab);
}

void TFQuillomat::OnJobLineDoubleClicked(int row) {
    DoubleClickJobLine(*station_, row);
    RightTabs->setCurrentWidget(SourceTab);
}

void TFQuillomat::OnEdit() { EditJob(*station_); }

void TFQuillomat::OnSave() {
    Guarded([this] { SaveJob(*station_); });
}

void TFQuillomat::OnCancelEdit() { CancelEdit(*station_); }

void TFQuillomat::OnNew() {
    Guarded([this] { NewJobFromEditor(*station_); });
}

void TFQuillomat::OnDel() {
    Guarded([this] { DeleteJob(*station_, station_->SelectedJob); });
}

void TFQuillomat::OnFolderButton(QLineEdit* field) {
    if (const auto folder = PickJobFolder(*station_, U(field->text()))) field->setText(Q(*folder));
}

void TFQuillomat::OnReset() {
    Errors->clear();
    StatusPanel0->clear();
}

// --- Send time ---

void TFQuillomat::OnTageSelected(int index) {
    Guarded([&] { station_->SendTime.SelectDay(index, station_->WeekdayStore(), surfaces_); });
    ShowSendTime();
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
}

void TFQuillomat::OnSaveSendTime() {
    Guarded([this] { station_->SendTime.Save(station_->WeekdayStore()); });
    ShowSendTime();
}

// --- Menu ---

void TFQuillomat::OnSaveConfig() {
    Guarded([this] { SaveConfig(*station_); });
}

void TFQuillomat::OnOpenLogfile() {
    OpenLogfile(*station_);
}

// --- Showing the core's state ---

void TFQuillomat::ShowJobList() {
    Showing showing(showing_);
    CheckListBox1->clear();
    for (const JobListLine& line : station_->Jobs) {
        auto* item = new QListWidgetItem(Q(line.name), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
    }
    CheckListBox1->setCurrentRow(station_->SelectedJob);
}

void TFQuillomat::ShowSelectedLine(int index) {
    Showing showing(showing_);
    if (index < 0 || index >= CheckListBox1->count()) {
        CheckListBox1->setCurrentRow(-1);
        CheckListBox1->clearSelection();
    } else {
        CheckListBox1->setCurrentRow(index);
    }
}

void TFQuillomat::ShowEditor() {
    Showing showing(showing_);
    editorBinder_->Fill();
    DestDelDelay->setEnabled(station_->EditorDelayEnabled);
    DRasEintraege->clear();
    for (const std::string& entry : station_->RasEntries) DRasEintraege->addItem(Q(entry));
    DRasEintraege->setPlaceholderText(QStringLiteral("Not found"));
    DRasEintraege->setCurrentIndex(station_->RasIndex);
}

void TFQuillomat::ShowEditingState() {
    const bool editing = station_->Editing;
    for (QWidget* w : {static_cast<QWidget*>(Auto), static_cast<QWidget*>(BManual),
                       static_cast<QWidget*>(BManualN), static_cast<QWidget*>(RunMinimized),
                       static_cast<QWidget*>(BNew), static_cast<QWidget*>(BEdit),
                       static_cast<QWidget*>(BDel), static_cast<QWidget*>(CheckListBox1)}) {
        w->setEnabled(!editing);
    }
    // The editor's pages stay selectable for looking at a job; their controls take input
    // only while editing.
    for (QWidget* w : {static_cast<QWidget*>(BSave), static_cast<QWidget*>(BCancel),
                       SourceTab, DestinationTab, ConnectionTab,
                       static_cast<QWidget*>(KopfName)}) {
        w->setEnabled(editing);
    }
    if (editing) RightTabs->setCurrentWidget(SourceTab);
}

void TFQuillomat::ShowOptions() {
    Showing showing(showing_);
    optionsBinder_->Fill();
    Auto->setChecked(station_->Options.Auto);
    ShowSendTimePanels();
}

void TFQuillomat::ShowSendTimePanels() {
    const int mode = SendTimeMode->currentIndex();
    SimplePanel->setVisible(mode == 0);
    EnhancedPanel->setVisible(mode == 1);
}

void TFQuillomat::ShowSendTime() {
    Showing showing(showing_);
    const int day = station_->SendTime.Day();
    if (Tage->currentIndex() != day) Tage->setCurrentIndex(day);
    const QString text = Q(JoinMemoLines(station_->SendTime.Lines()));
    if (Memo1->toPlainText() != text) Memo1->setPlainText(text);
    BSaveSendTime->setEnabled(station_->SendTime.Changed());
}

}  // namespace ferrolin::gui
