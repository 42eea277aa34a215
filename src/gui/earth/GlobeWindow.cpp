#include "earth/GlobeWindow.h"

#include <QChildEvent>
#include <QCloseEvent>

namespace orvane {

GlobeWindow::GlobeWindow(const QString& title) {
    setWindowTitle(title);
    resize(800, 600);
}

void GlobeWindow::FillWithChildren() {
    for (QObject* child : children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) {
            widget->setGeometry(rect());
        }
    }
}

void GlobeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FillWithChildren();
}

void GlobeWindow::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->added()) {
        FillWithChildren();
    }
}

void GlobeWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace orvane
