#pragma once
// GaugeWidget: the flat progress bar under the tab sets. A green filled part for the
// progress (0-100, values outside clamped) and a text drawn over the whole bar.
#include <QString>
#include <QWidget>

namespace ferrolin::gui {

class GaugeWidget : public QWidget {
    Q_OBJECT
  public:
    explicit GaugeWidget(QWidget* parent = nullptr);

    void SetProgress(int progress);
    int Progress() const { return progress_; }
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int progress_ = 0;
    QString text_ = QStringLiteral("------");
};

}  // namespace ferrolin::gui
