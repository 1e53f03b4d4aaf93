#include "gui/gauge_widget.h"

#include <QPainter>
#include <algorithm>

namespace ferrolin::gui {

namespace {
const QColor kFillColour(0, 128, 0);
}

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CopyStatusG"));
}

void GaugeWidget::SetProgress(int progress) {
    progress = std::clamp(progress, 0, 100);
    if (progress == progress_) return;
    progress_ = progress;
    update();
}

void GaugeWidget::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void GaugeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const int filled = frame.width() * progress_ / 100;
    if (filled > 0) painter.fillRect(QRect(1, 1, filled, height() - 2), kFillColour);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);

    // The text reads on both parts: white over the green part, the window's text colour
    // over the rest.
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setFont(font());
    painter.setClipRect(QRect(filled + 1, 0, width() - filled - 1, height()));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(rect(), flags, text_);
    if (filled > 0) {
        painter.setClipRect(QRect(0, 0, filled + 1, height()));
        painter.setPen(Qt::white);
        painter.drawText(rect(), flags, text_);
    }
}

}  // namespace ferrolin::gui
