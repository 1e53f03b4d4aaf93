#include "gui/time_sync_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/page_controls.h"
#include "gui/showing.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"

namespace ferrolin::gui {

namespace panel = time_sync_panel;
using namespace controls;

TimeSyncPage::TimeSyncPage(Station& station, QWidget* parent)
    : QWidget(parent),
      station_(station),
      settings_([&station]() -> TimeSyncSettings& { return station.TimeSync.Settings; }) {
    Build();
    Bind();
}

void TimeSyncPage::Build() {
    auto* outer = new QVBoxLayout(this);
    Tight(outer);

    TimeSyncEnable = Box("TimeSyncEnable", Q(panel::kEnableCaption));
    outer->addWidget(TimeSyncEnable);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    TimeSyncServer = Edit("TimeSyncServer");
    TimeSyncProtocol = Named(new QComboBox, "TimeSyncProtocol");
    for (std::string_view item : panel::kProtocolItems) TimeSyncProtocol->addItem(Q(item));
    TimeSyncInterval = Edit("TimeSyncInterval");
    TimeSyncTimeOffset = Edit("TimeSyncTimeOffset");
    TimeSyncTimeOffset->setToolTip(Q(panel::kTimeOffsetHint));
    TimeSyncMaxCorrection = Edit("TimeSyncMaxCorrection");
    TimeSyncMaxCorrection->setToolTip(Q(panel::kMaxCorrectionHint));

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

    TimeSyncNowButton = Button("TimeSyncNowButton", Q(panel::kSyncNowCaption));
    outer->addWidget(TimeSyncNowButton, 0, Qt::AlignLeft);
    outer->addStretch(1);
}

void TimeSyncPage::Bind() {
    settings_.Flag(TimeSyncEnable, &TimeSyncSettings::Enable);
    settings_.Text(TimeSyncServer, &TimeSyncSettings::Server);
    settings_.Text(TimeSyncInterval, &TimeSyncSettings::Interval);
    settings_.Text(TimeSyncTimeOffset, &TimeSyncSettings::TimeOffset);
    settings_.Text(TimeSyncMaxCorrection, &TimeSyncSettings::MaxCorrection);
    // The operator's choice goes through the core (it warns about the Time protocol);
    // showing a loaded setting does not.
    connect(TimeSyncProtocol, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_ && index >= 0) station_.TimeSync.SelectProtocol(index);
    });
    connect(TimeSyncNowButton, &QPushButton::clicked, this, [this] { OnSyncNow(); });
}

void TimeSyncPage::Show() {
    settings_.Fill();
    Showing showing(showing_);
    TimeSyncProtocol->setCurrentIndex(station_.TimeSync.Settings.Protocol);
}

void TimeSyncPage::OnSyncNow() {
    station_.TimeSync.SyncNow(true);
}

}  // namespace ferrolin::gui
