#include "app/MarqueeLabel.h"

#include <QPainter>

namespace orvane {

namespace {
constexpr int kStepMilliseconds = 40;
}

MarqueeLabel::MarqueeLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    timer_.setInterval(kStepMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &MarqueeLabel::Step);
}

QSize MarqueeLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text_) + 40, fontMetrics().height()};
}

void MarqueeLabel::Step() {
    const int textWidth = fontMetrics().horizontalAdvance(text_);
    // The text enters at the right edge and leaves at the left before it comes round again.
    offset_ = offset_ <= -textWidth ? width() : offset_ - 1;
    update();
}

void MarqueeLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawText(QRect(offset_, 0, width() + fontMetrics().horizontalAdvance(text_), height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text_);
}

// Scrolling only while it can be seen costs nothing when the window is hidden.
void MarqueeLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void MarqueeLabel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

}  // namespace orvane
