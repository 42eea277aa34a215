#include "earth/ViewCross.h"

#include <QEvent>
#include <QPainter>

namespace orvane {

ViewCrossOverlay::ViewCrossOverlay(QWidget* map) : QWidget(map) {
    setObjectName("ViewCross");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(map->rect());
    map->installEventFilter(this);
}

bool ViewCrossOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void ViewCrossOverlay::paintEvent(QPaintEvent* /*event*/) {
    const int cx = width() / 2;
    const int cy = height() / 2;
    QPainter painter(this);
    // Flat ends: each stroke covers exactly kInner..kOuter pixels from the centre.
    painter.setPen(QPen(QColor(255, 0, 0), kWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(cx - kOuter, cy, cx - kInner, cy);
    painter.drawLine(cx + kInner, cy, cx + kOuter, cy);
    painter.drawLine(cx, cy - kOuter, cx, cy - kInner);
    painter.drawLine(cx, cy + kInner, cx, cy + kOuter);
}

ViewCross::~ViewCross() {
    delete overlay_.data();
}

void ViewCross::Draw(QWidget* map) {
    if (map == nullptr) {
        return;
    }
    if (overlay_ && overlay_->parentWidget() != map) {
        delete overlay_.data();
    }
    if (!overlay_) {
        overlay_ = new ViewCrossOverlay(map);
    }
    overlay_->raise();
    overlay_->show();
    overlay_->update();
}

void ViewCross::Hide() {
    if (overlay_) {
        overlay_->hide();
    }
}

}  // namespace orvane
