#include "gui/status_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "station/run_driver.h"
#include "station/run_gate.h"
#include "gui/guarded.h"
#include "gui/page_controls.h"
#include "gui/showing.h"
#include "station/job_editor_commands.h"
#include "station/job_list_commands.h"

namespace ferrolin::gui {

using namespace controls;

StatusPage::StatusPage(Station& station, AutoMode& autoMode, QtSurfaces& surfaces,
                       QWidget* parent)
    : QWidget(parent),
      station_(station),
      autoMode_(autoMode),
      surfaces_(surfaces),
      options_([&station]() -> GlobalOptions& { return station.Options; }),
      job_([&station]() -> TransferJob& { return station.Editor; }) {
    Build();
    Bind();
}

void StatusPage::Build() {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);

    auto* runRow = new QHBoxLayout;
    Auto = Box("Auto", "Auto");
    BManual = Button("BManual", "Manual");
    BManualN = Button("BManualN", "Manual (no messages)");
    runRow->addWidget(Auto);
    runRow->addWidget(BManual);
    runRow->addWidget(BManualN);
    layout->addLayout(runRow);

    auto* nextRow = new QHBoxLayout;
    // Empty until the start-up says "Auto off" or the next start.
    NextStart = Named(new QLabel, "NextStart");
    QFont large = NextStart->font();
    large.setPixelSize(19);
    NextStart->setFont(large);
    CancelCopy = Button("CancelCopy", "Cancel");
    CancelCopy->setVisible(false);
    nextRow->addWidget(NextStart, 1);
    nextRow->addWidget(CancelCopy);
    layout->addLayout(nextRow);

    auto* boxRow = new QHBoxLayout;
    connected = Box("connected", "connected");
    // Shows the run driver's state; the operator cannot switch it.
    connected->setAttribute(Qt::WA_TransparentForMouseEvents);
    connected->setFocusPolicy(Qt::NoFocus);
    RunMinimized = Box("RunMinimized", "Minimize");
    boxRow->addWidget(connected, 1);
    boxRow->addWidget(RunMinimized);
    layout->addLayout(boxRow);

    JobList = Named(new QListWidget, "CheckListBox1");
    layout->addWidget(JobList, 1);
    JobNameEdit = Edit("KopfName");
    layout->addWidget(JobNameEdit);

    auto* editRow = new QHBoxLayout;
    editRow->setSpacing(2);
    BEdit = Button("BEdit", "Edit");
    BNew = Button("BNew", "New");
    BDel = Button("BDel", "Del");
    BSave = Button("BSave", "Save");
    BCancel = Button("BCancel", "Cancel");
    for (QPushButton* button : {BEdit, BNew, BDel, BSave, BCancel}) {
        button->setMinimumWidth(40);
        editRow->addWidget(button);
    }
    layout->addLayout(editRow);
}

void StatusPage::Bind() {
    options_.Flag(RunMinimized, &GlobalOptions::runMinimized);
    job_.Text(JobNameEdit, &TransferJob::name);
    // "Auto" has a handler of its own (it computes the next start).
    connect(Auto, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) autoMode_.SetAuto(on);
    });
    connect(BManual, &QPushButton::clicked, this, [this] { OnManual(true); });
    connect(BManualN, &QPushButton::clicked, this, [this] { OnManual(false); });
    connect(CancelCopy, &QPushButton::clicked, this, &StatusPage::OnCancelCopy);
    connect(BEdit, &QPushButton::clicked, this, &StatusPage::OnEdit);
    connect(BNew, &QPushButton::clicked, this, &StatusPage::OnNew);
    connect(BDel, &QPushButton::clicked, this, &StatusPage::OnDel);
    connect(BSave, &QPushButton::clicked, this, &StatusPage::OnSave);
    connect(BCancel, &QPushButton::clicked, this, &StatusPage::OnCancelEdit);
    connect(JobList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!showing_) OnJobLineClicked(row);
    });
    connect(JobList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = JobList->row(item);
        if (!showing_ && row != station_.SelectedJob) OnJobLineClicked(row);
    });
    connect(JobList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        OnJobLineDoubleClicked(JobList->row(item));
    });
    connect(JobList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = JobList->row(item);
        if (showing_ || row < 0 || static_cast<size_t>(row) >= station_.Jobs.size()) return;
        station_.Jobs[static_cast<size_t>(row)].checked = item->checkState() == Qt::Checked;
    });
}

// --- Runs ---

void StatusPage::OnManual(bool withMessages) {
    // The buttons stay usable during a run (messages are processed), but a second run
    // started inside the first would copy the same files twice over and end the outer
    // run's state under it: a click during a run is ignored.
    if (station_.RunInProgress() || station_.RunMode == RM_Starting) return;
    const auto runLock = TryTakeRunLock(station_.ProgramDir);
    if (!runLock) {
        station_.surfaces().SetStatusText("A run is active in " + station_.ProgramDir);
        return;
    }
    RunAllJobsManually(station_, withMessages);
    emit runFinished();
}

void StatusPage::OnCancelCopy() {
    CancelRun(station_);
    ShowAuto();
}

// --- Job list and editor ---

void StatusPage::OnJobLineClicked(int row) {
    ClickJobLine(station_, row);
    emit jobLineClicked(row);
}

void StatusPage::OnJobLineDoubleClicked(int row) {
    DoubleClickJobLine(station_, row);
    emit jobLineDoubleClicked(row);
}

void StatusPage::OnEdit() { EditJob(station_); }

void StatusPage::OnSave() {
    Guarded(surfaces_, [this] { SaveJob(station_); });
}

void StatusPage::OnCancelEdit() { CancelEdit(station_); }

void StatusPage::OnNew() {
    Guarded(surfaces_, [this] { NewJobFromEditor(station_); });
}

void StatusPage::OnDel() {
    Guarded(surfaces_, [this] { DeleteJob(station_, station_.SelectedJob); });
}

// --- Showing the core's state ---

void StatusPage::ShowJobList() {
    Showing showing(showing_);
    JobList->clear();
    for (const JobListLine& line : station_.Jobs) {
        auto* item = new QListWidgetItem(Q(line.name), JobList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
    }
    JobList->setCurrentRow(station_.SelectedJob);
    ShowJobOutcomes();
}

void StatusPage::ShowJobOutcomes() {
    const std::map<int, JobLastOutcome>& outcomes = station_.Recorder.LastOutcomes();
    for (int row = 0; row < JobList->count(); ++row) {
        QListWidgetItem* item = JobList->item(row);
        const auto found = outcomes.find(row);
        // An outcome recorded for another job that stood on this line does not count.
        if (found == outcomes.end() || Q(found->second.name) != item->text()) {
            item->setIcon(QIcon());
            item->setToolTip(QString());
            continue;
        }
        const JobOutcome outcome = found->second.outcome;
        const QStyle::StandardPixmap icon =
            outcome == JobOutcome::Ok          ? QStyle::SP_DialogApplyButton
            : outcome == JobOutcome::Cancelled ? QStyle::SP_MessageBoxWarning
                                               : QStyle::SP_MessageBoxCritical;
        item->setIcon(style()->standardIcon(icon));
        item->setToolTip(Q(LastOutcomeText(found->second)));
    }
}

void StatusPage::ShowSelectedLine(int index) {
    Showing showing(showing_);
    if (index < 0 || index >= JobList->count()) {
        JobList->setCurrentRow(-1);
        JobList->clearSelection();
    } else {
        JobList->setCurrentRow(index);
    }
}

void StatusPage::ShowOptions() {
    options_.Fill();
    ShowAuto();
}

void StatusPage::ShowAuto() {
    Showing showing(showing_);
    Auto->setChecked(station_.Options.autoMode);
}

void StatusPage::ShowConnected() { connected->setChecked(station_.Connected); }

void StatusPage::ShowJobName() { job_.Fill(); }

void StatusPage::ShowEditing(bool editing) {
    for (QWidget* w : {static_cast<QWidget*>(Auto), static_cast<QWidget*>(BManual),
                       static_cast<QWidget*>(BManualN), static_cast<QWidget*>(RunMinimized),
                       static_cast<QWidget*>(BNew), static_cast<QWidget*>(BEdit),
                       static_cast<QWidget*>(BDel), static_cast<QWidget*>(JobList)}) {
        w->setEnabled(!editing);
    }
    for (QWidget* w : {static_cast<QWidget*>(BSave), static_cast<QWidget*>(BCancel),
                       static_cast<QWidget*>(JobNameEdit)}) {
        w->setEnabled(editing);
    }
}

}  // namespace ferrolin::gui
