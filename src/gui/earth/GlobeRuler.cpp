#include "earth/GlobeRuler.h"

#include <marble/GeoDataLineString.h>
#include <marble/GeoPainter.h>
#include <marble/MarbleWidget.h>
#include <marble/ViewportParams.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QtMath>

#include "earth/FeaturePainter.h"
#include "earth/KmlFileLayer.h"

namespace orvane {

namespace {

// A press and release closer than this is a click, not a drag of the map.
constexpr int kClickSlack = 3;
// A click this close to a drawn vertex measures from the vertex itself.
constexpr double kSnapPixels = 6.0;
// Above the loaded files' layer.
constexpr qreal kAboveFiles = 200.0;

QString Text(double metres) {
    return QString::fromStdString(DistanceText(metres));
}

Marble::GeoDataCoordinates CoordinatesOf(const GeoPosition& point) {
    return Marble::GeoDataCoordinates(point.longitude, point.latitude, 0.0,
                                      Marble::GeoDataCoordinates::Degree);
}

void DrawOutlinedText(QPainter& painter, const QPointF& at, const QString& text) {
    painter.setPen(QColor(0, 0, 0, 220));
    for (const QPointF& offset : {QPointF(1, 1), QPointF(-1, -1), QPointF(1, -1), QPointF(-1, 1)}) {
        painter.drawText(at + offset, text);
    }
    painter.setPen(QColor(255, 255, 0));
    painter.drawText(at, text);
}

}  // namespace

QString RulerText(const RulerLengths& lengths) {
    if (lengths.legs.empty()) {
        return QStringLiteral("测距：在地图上单击各点，Esc 或右键结束");
    }
    QStringList legs;
    for (const double leg : lengths.legs) {
        legs << Text(leg);
    }
    if (legs.size() == 1) {
        return QStringLiteral("测距：%1").arg(legs.front());
    }
    return QStringLiteral("测距：%1，总长 %2")
        .arg(legs.join(QStringLiteral(" + ")), Text(lengths.total));
}

void GlobeRuler::Attach(Marble::MarbleWidget& map) {
    map_ = &map;
    map.addLayer(this);
    map.installEventFilter(this);
}

void GlobeRuler::Detach() {
    if (map_) {
        map_->removeEventFilter(this);
        map_->removeLayer(this);
    }
    map_ = nullptr;
    points_.clear();
    active_ = false;
}

void GlobeRuler::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    if (!active) {
        End(true);
        return;
    }
    active_ = true;
    points_.clear();
    if (map_) {
        map_->setCursor(Qt::CrossCursor);
        map_->setFocus();  // for Esc
        map_->update();
    }
    Report();
}

void GlobeRuler::End(bool keepDrawing) {
    active_ = false;
    if (!keepDrawing) {
        points_.clear();
    }
    if (map_) {
        map_->unsetCursor();
        map_->update();
    }
    Report();
}

void GlobeRuler::Report() {
    if (listener_) {
        listener_(RulerText(MeasureLegs(points_)), active_);
    }
}

void GlobeRuler::AddPointAt(const QPoint& position) {
    if (!map_) {
        return;
    }
    const Marble::ViewportParams& viewport = *map_->viewport();
    std::optional<GeoPoint> snapped;
    for (const KmlFileLayer::File& file : files_.Files()) {
        if (file.visible) {
            if (const auto vertex = VertexNear(*file.features, viewport, position, kSnapPixels)) {
                snapped = vertex;
            }
        }
    }
    GeoPosition point;
    if (snapped) {
        point = {qRadiansToDegrees(snapped->lon), qRadiansToDegrees(snapped->lat)};
    } else {
        qreal longitude = 0.0;
        qreal latitude = 0.0;
        if (!viewport.geoCoordinates(position.x(), position.y(), longitude, latitude,
                                     Marble::GeoDataCoordinates::Degree)) {
            return;  // off the globe
        }
        point = {longitude, latitude};
    }
    points_.push_back(point);
    map_->update();
    Report();
}

bool GlobeRuler::eventFilter(QObject* watched, QEvent* event) {
    if (watched != map_ || !active_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                // The map's own menu stays closed: the right click ends the measurement.
                if (event->type() == QEvent::MouseButtonRelease) {
                    End(true);
                }
                return true;
            }
            if (mouse->button() == Qt::LeftButton) {
                if (event->type() == QEvent::MouseButtonPress) {
                    pressedAt_ = mouse->pos();
                } else if ((mouse->pos() - pressedAt_).manhattanLength() <= kClickSlack) {
                    AddPointAt(mouse->pos());
                }
            }
            break;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                End(true);
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

QStringList GlobeRuler::renderPosition() const {
    return {QStringLiteral("HOVERS_ABOVE_SURFACE")};
}

qreal GlobeRuler::zValue() const {
    return kAboveFiles;
}

bool GlobeRuler::render(Marble::GeoPainter* painter, Marble::ViewportParams* viewport,
                        const QString& /*renderPos*/, Marble::GeoSceneLayer* /*layer*/) {
    if (points_.empty()) {
        return true;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    Marble::GeoDataLineString line(Marble::Tessellate);
    for (const GeoPosition& point : points_) {
        line << CoordinatesOf(point);
    }
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(0, 0, 0, 200), 5.0, Qt::SolidLine, Qt::RoundCap));
    painter->drawPolyline(line);
    painter->setPen(QPen(QColor(255, 255, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter->drawPolyline(line);

    const RulerLengths lengths = MeasureLegs(points_);
    QFont font = painter->font();
    font.setBold(true);
    painter->setFont(font);
    qreal x = 0.0;
    qreal y = 0.0;
    bool hidden = false;
    for (size_t i = 0; i < points_.size(); ++i) {
        if (!viewport->screenCoordinates(CoordinatesOf(points_[i]), x, y, hidden) || hidden) {
            continue;
        }
        painter->setPen(QPen(Qt::black, 1.5));
        painter->setBrush(QColor(255, 255, 0));
        painter->drawEllipse(QPointF(x, y), 4.0, 4.0);
        if (i == 0) {
            continue;
        }
        // Each point names the leg that ends there; the last also the total.
        QString text = Text(lengths.legs[i - 1]);
        if (i == points_.size() - 1 && i > 1) {
            text += QStringLiteral("（总长 %1）").arg(Text(lengths.total));
        }
        DrawOutlinedText(*painter, QPointF(x + 8.0, y - 8.0), text);
    }
    painter->restore();
    return true;
}

}  // namespace orvane
