// The "Time sync" tab of the left tab set: the time-synchronisation panel. Its controls
// edit the core's TimeSyncSettings directly (saved with Configuration > Save); "Sync now"
// and the protocol choice go through TSyncTimeF, which reports through the surfaces.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "gui/widget_names.h"
#include "remote/time_sync_panel.h"

namespace ferrolin::gui {

namespace {

namespace panel = time_sync_panel;

QLineEdit* Edit(const char* name, std::string_view hint = {}) {
    auto* edit = Named(new QLineEdit, name);
    if (!hint.empty()) edit->setToolTip(Q(hint));
    return edit;
}

}  // namespace

QWidget* TFQuillomat::BuildTimeSyncTab() {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(3);

    TimeSyncEnable = Named(new QCheckBox(Q(panel::kEnableCaption)), "TimeSyncEnable");
    outer->addWidget(TimeSyncEnable);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    TimeSyncServer = Edit("TimeSyncServer");
    TimeSyncProtocol = Named(new QComboBox, "TimeSyncProtocol");
    for (std::string_view item : panel::kProtocolItems) TimeSyncProtocol->addItem(Q(item));
    TimeSyncInterval = Edit("TimeSyncInterval");
    TimeSyncTimeOffset = Edit("TimeSyncTimeOffset", panel::kTimeOffsetHint);
    TimeSyncMaxCorrection = Edit("TimeSyncMaxCorrection", panel::kMaxCorrectionHint);

    int row = 0;
    const auto addRow = [&](std::string_view label, QWidget* field) {
        auto* caption = new QLabel(Q(label));
        caption->setToolTip(field->toolTip());
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    };
    addRow(panel::kServerLabel, TimeSyncServer);
    grid->addWidget(TimeSyncProtocol, row++, 1);
    addRow(panel::kIntervalLabel, TimeSyncInterval);
    addRow(panel::kTimeOffsetLabel, TimeSyncTimeOffset);
    addRow(panel::kMaxCorrectionLabel, TimeSyncMaxCorrection);
    outer->addLayout(grid);

    TimeSyncNowButton = Named(new QPushButton(Q(panel::kSyncNowCaption)), "TimeSyncNowButton");
    outer->addWidget(TimeSyncNowButton, 0, Qt::AlignLeft);
    outer->addStretch(1);
    return page;
}

void TFQuillomat::BindTimeSync() {
    timeSyncBinder_ = std::make_unique<FieldBinder<TimeSyncSettings>>(
        [this]() -> TimeSyncSettings& { return station_->SyncTimeF.Settings; });
    timeSyncBinder_->Flag(TimeSyncEnable, &TimeSyncSettings::Enable);
    timeSyncBinder_->Text(TimeSyncServer, &TimeSyncSettings::Server);
    timeSyncBinder_->Text(TimeSyncInterval, &TimeSyncSettings::Interval);
    timeSyncBinder_->Text(TimeSyncTimeOffset, &TimeSyncSettings::TimeOffset);
    timeSyncBinder_->Text(TimeSyncMaxCorrection, &TimeSyncSettings::MaxCorrection);
    // The operator's choice goes through the core (it warns about the Time protocol);
    // showing a loaded setting does not.
    connect(TimeSyncProtocol, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_ && index >= 0) station_->SyncTimeF.SelectProtocol(index);
    });
    connect(TimeSyncNowButton, &QPushButton::clicked, this, [this] { OnSyncNow(); });
}

void TFQuillomat::ShowTimeSync() {
    timeSyncBinder_->Fill();
    Showing showing(showing_);
    TimeSyncProtocol->setCurrentIndex(station_->SyncTimeF.Settings.Protocol);
}

void TFQuillomat::OnSyncNow() { station_->SyncTimeF.SyncNow(true); }

}  // namespace ferrolin::gui
