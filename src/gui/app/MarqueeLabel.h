#pragma once

#include <QTimer>
#include <QWidget>

namespace orvane {

// A status bar pane whose fixed caption scrolls from right to left.
class MarqueeLabel : public QWidget {
    Q_OBJECT
  public:
    MarqueeLabel(const QString& text, QWidget* parent);
    const QString& text() const { return text_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Step();

    QString text_;
    QTimer timer_;
    int offset_ = 0;
};

}  // namespace orvane
