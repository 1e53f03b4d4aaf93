#include "gui/compact_tabs.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>

namespace ferrolin::gui {

namespace {

class CompactTabStyle : public QProxyStyle {
public:
    // The application's own style underneath, so everything else looks the same.
    CompactTabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value * 2 / 3 : value;
    }
};

}  // namespace

void UseCompactTabs(QTabWidget* tabs, QObject* owner) {
    auto* style = new CompactTabStyle;
    style->setParent(owner);
    tabs->tabBar()->setStyle(style);
}

}  // namespace ferrolin::gui
