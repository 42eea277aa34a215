#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orvane {

namespace {

constexpr int kSize = 32;

QPixmap Canvas() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawPoints(QPainter& painter) {
    painter.setBrush(QColor(220, 40, 40));
    for (const QPoint& centre : {QPoint(8, 10), QPoint(22, 8), QPoint(14, 22), QPoint(25, 24)}) {
        painter.drawEllipse(centre, 4, 4);
    }
}

void DrawBaseStation(QPainter& painter) {
    painter.setPen(QPen(QColor(30, 60, 160), 3));
    painter.drawLine(16, 8, 8, 29);
    painter.drawLine(16, 8, 24, 29);
    painter.drawLine(11, 21, 21, 21);
    painter.setPen(QPen(QColor(220, 120, 0), 2));
    painter.drawArc(6, 0, 20, 16, 30 * 16, 120 * 16);
}

void DrawRoute(QPainter& painter) {
    QPainterPath route(QPointF(3, 28));
    route.cubicTo(10, 4, 20, 30, 29, 5);
    painter.setPen(QPen(QColor(20, 150, 60), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(route);
}

void DrawFlag(QPainter& painter) {
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.drawLine(8, 4, 8, 29);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 170, 0));
    painter.drawPolygon(QPolygon({QPoint(9, 5), QPoint(27, 10), QPoint(9, 16)}));
}

}  // namespace

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(kSize), size / double(kSize));
    painter.setBrush(QColor(30, 110, 200));
    painter.setPen(QPen(QColor(10, 50, 110), 2));
    painter.drawEllipse(2, 2, kSize - 4, kSize - 4);
    painter.setPen(QPen(QColor(200, 230, 255), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(10, 2, 12, kSize - 4));
    painter.drawLine(2, kSize / 2, kSize - 2, kSize / 2);
    painter.setPen(QPen(QColor(230, 30, 30), 2.5));
    painter.drawPolyline(QPolygon({QPoint(7, 22), QPoint(13, 12), QPoint(19, 18), QPoint(26, 8)}));
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : kProgramIconSizes) {
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    }
    return icon;
}

QIcon FunctionIcon(int index) {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    switch (index) {
        case 0:
            DrawPoints(painter);
            break;
        case 1:
            DrawBaseStation(painter);
            break;
        case 2:
            DrawRoute(painter);
            break;
        default:
            DrawFlag(painter);
            break;
    }
    return QIcon(pixmap);
}

}  // namespace orvane
