#include "gui/send_time_page.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/datetime_format.h"
#include "common/memo_lines.h"
#include "gui/guarded.h"
#include "gui/page_controls.h"
#include "gui/showing.h"
#include "schedule/auto_mode.h"
#include "schedule/send_time_editor.h"

namespace ferrolin::gui {

using namespace controls;

SendTimePage::SendTimePage(Station& station, WeekdayListStore& store, QtSurfaces& surfaces,
                           QWidget* parent)
    : QWidget(parent),
      station_(station),
      store_(store),
      surfaces_(surfaces),
      options_([&station]() -> GlobalOptions& { return station.Options; },
               [this] { ShowPanels(); }) {
    Build();
    Bind();
}

void SendTimePage::Build() {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);

    SendTimeMode = Choices("SendTimeMode", {QStringLiteral("Simple"), QStringLiteral("Enhanced")});
    layout->addWidget(SendTimeMode);

    SimplePanel = Named(new QWidget, "SimplePanel");
    auto* simple = new QHBoxLayout(SimplePanel);
    simple->setContentsMargins(0, 0, 0, 0);
    SendTimeSimpleIntervalE = Edit("SendTimeSimpleIntervalE");
    SendTimeSimpleIntervalE->setFixedWidth(70);
    simple->addWidget(Label("Interval:"));
    simple->addWidget(SendTimeSimpleIntervalE);
    simple->addWidget(Label("hh:mm:ss"));
    simple->addStretch(1);
    layout->addWidget(SimplePanel);

    EnhancedPanel = Named(new QWidget, "EnhancedPanel");
    auto* enhanced = new QVBoxLayout(EnhancedPanel);
    enhanced->setContentsMargins(0, 0, 0, 0);
    enhanced->setSpacing(3);
    auto* dayRow = new QHBoxLayout;
    Tage = Named(new QComboBox, "Tage");
    for (std::string_view day : kWeekdayNames) Tage->addItem(Q(day));
    Tage->installEventFilter(this);
    BSaveSendTime = Button("BSaveSendTime", "Save");
    BSaveSendTime->setEnabled(false);
    dayRow->addWidget(Tage, 1);
    dayRow->addWidget(BSaveSendTime);
    enhanced->addLayout(dayRow);
    // In the window's own font the blanks put "Interval" over the memo's interval column.
    enhanced->addWidget(Label("Time           Interval"));
    SendTimeLines = Named(new QPlainTextEdit, "Memo1");
    SendTimeLines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    SendTimeLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    SendTimeLines->setToolTip(QStringLiteral("hh:mm hh:mm Startzeit interval"));
    enhanced->addWidget(SendTimeLines, 1);
    layout->addWidget(EnhancedPanel, 1);

    auto* nextRow = new QHBoxLayout;
    NextFu10 = Named(new QLabel, "NextFu10");
    nextRow->addWidget(Label("Next:"));
    nextRow->addWidget(NextFu10, 1);
    layout->addStretch(0);
    layout->addLayout(nextRow);
}

void SendTimePage::Bind() {
    options_.Choice(SendTimeMode, &GlobalOptions::sendTimeMode);
    options_.Text(SendTimeSimpleIntervalE, &GlobalOptions::sendTimeSimpleInterval);
    connect(Tage, &QComboBox::activated, this, &SendTimePage::OnTageSelected);
    connect(SendTimeLines, &QPlainTextEdit::textChanged, this, [this] {
        if (showing_) return;
        station_.SendTime.EditLines(SplitMemoLines(U(SendTimeLines->toPlainText())));
        BSaveSendTime->setEnabled(station_.SendTime.Changed());
    });
    connect(BSaveSendTime, &QPushButton::clicked, this, &SendTimePage::OnSaveSendTime);
}

bool SendTimePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Tage && event->type() == QEvent::FocusIn) station_.SendTime.DayBoxFocused();
    return QWidget::eventFilter(watched, event);
}

void SendTimePage::OnTageSelected(int index) {
    Guarded(surfaces_, [&] { station_.SendTime.SelectDay(index, store_, surfaces_); });
    ShowSendTime();
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
}

void SendTimePage::OnSaveSendTime() {
    Guarded(surfaces_, [this] { station_.SendTime.Save(store_); });
    ShowSendTime();
}

void SendTimePage::ShowSendTime() {
    Showing showing(showing_);
    const int day = station_.SendTime.Day();
    if (Tage->currentIndex() != day) Tage->setCurrentIndex(day);
    const QString text = Q(JoinMemoLines(station_.SendTime.Lines()));
    if (SendTimeLines->toPlainText() != text) SendTimeLines->setPlainText(text);
    BSaveSendTime->setEnabled(station_.SendTime.Changed());
}

void SendTimePage::ShowOptions() {
    options_.Fill();
    ShowPanels();
}

void SendTimePage::ShowPanels() {
    const int mode = SendTimeMode->currentIndex();
    SimplePanel->setVisible(mode == 0);
    EnhancedPanel->setVisible(mode == 1);
}

}  // namespace ferrolin::gui
