#include "earth/FeaturePainter.h"

#include <marble/GeoDataLatLonAltBox.h>
#include <marble/Quaternion.h>
#include <marble/ViewportParams.h>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "common/GeoMeasure.h"

namespace orvane {

namespace {

// View positions this far outside the view still count: wide lines and point squares reach
// in from there.
constexpr double kMarginPixels = 24.0;
// Point features are squares of this side at icon scale 1.
constexpr double kPointSide = 16.0;
// Icons are drawn as large as the outside globe draws them: 32 pixels at scale 1.
constexpr double kIconSide = 32.0;
constexpr double kSmallestPointSide = 3.0;
// Beyond this many points in view their names would only cover each other and the map.
constexpr size_t kMostLabels = 300;

bool Overlaps(const QRectF& a, const QRectF& b) {
    return a.left() <= b.right() && a.right() >= b.left() && a.top() <= b.bottom() &&
           a.bottom() >= b.top();
}

bool Inside(const QRectF& inner, const QRectF& outer) {
    return inner.left() >= outer.left() && inner.right() <= outer.right() &&
           inner.top() >= outer.top() && inner.bottom() <= outer.bottom();
}

// Painting (Qt's raster code, the map's own layers) may leave the upper halves of the AVX
// registers in use; the plain SSE arithmetic of a projection that follows then pays a change
// of processor state on every instruction (measured: sin() forty times slower, a frame of a
// large file ten times slower). Clearing them, where the processor has AVX, costs nothing.
// Code built for AVX does so by itself.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__AVX__)
void ClearUpperVectorHalves() {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) {
        // The lower halves, all that code built without AVX uses, are kept.
        asm volatile("vzeroupper");
    }
}
#else
void ClearUpperVectorHalves() {}
#endif

bool IsDot(const QRectF& bounds) {
    return bounds.width() < 1.0 && bounds.height() < 1.0;
}

double DistanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 > 0.0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

double DistanceToRun(const QPointF& p, const QPolygonF& run, bool closed) {
    double best = std::hypot(p.x() - run.first().x(), p.y() - run.first().y());
    for (int i = 1; i < run.size(); ++i) {
        best = std::min(best, DistanceToSegment(p, run[i - 1], run[i]));
    }
    if (closed && run.size() > 2) {
        best = std::min(best, DistanceToSegment(p, run.last(), run.first()));
    }
    return best;
}

// A placemark without name or description has no balloon: a click goes to what lies under it
// (a site's sector wedges start at its icon).
bool HasTexts(const PlacemarkTexts& texts) {
    return !texts.name.isEmpty() || !texts.description.isEmpty();
}

double PointSide(const FeatureStyle& style) {
    const double side = style.iconImage.isNull() ? kPointSide : kIconSide;
    return std::max(kSmallestPointSide, std::round(side * style.iconScale));
}

// Calls `visit` with each feature of the level, in drawing order, that the view may show and
// the filter passes: drawing and picking see the same features.
template <typename Visit>
void ForEachShownFeature(const FeatureLevel& level, const ScreenProjection& projection,
                         const FeatureFilter& filter, Visit&& visit) {
    for (const FeatureBlock& block : level.blocks) {
        if (!projection.MayShow(block.box)) {
            continue;
        }
        for (std::uint32_t i = block.firstFeature; i < block.firstFeature + block.featureCount;
             ++i) {
            const Feature& feature = level.features[i];
            if (projection.MayShow(feature.box) && filter.Passes(feature)) {
                visit(feature);
            }
        }
    }
}

// The first part of the feature from `p` (an index into the level's parts) that the view
// may show, else the end of its parts: the lines of a merged route outside the view are
// skipped, group by group where they can be. A polygon's rings are taken whole, as its fill
// needs them all.
std::uint32_t NextShownPart(const FeatureLevel& level, const Feature& feature,
                            const ScreenProjection& projection, std::uint32_t p) {
    const std::uint32_t end = feature.firstPart + feature.partCount;
    if (feature.partCount == 1 || feature.kind == FeatureKind::Polygon) {
        return p;
    }
    while (p < end) {
        if (p % kPartsPerGroup == 0 && !projection.MayShow(level.partGroups[p / kPartsPerGroup])) {
            p += kPartsPerGroup;
        } else if (!projection.MayShow(level.parts[p].box)) {
            ++p;
        } else {
            return p;
        }
    }
    return end;
}

}  // namespace

QString LabelText(const QString& name) {
    return name.section('\t', 0, 0).trimmed();
}

bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                         rect.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const QPointF start = a;
    a = start + t0 * QPointF(dx, dy);
    b = start + t1 * QPointF(dx, dy);
    return true;
}

std::vector<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect) {
    std::vector<QPolygonF> pieces;
    for (int i = 1; i < line.size(); ++i) {
        QPointF a = line[i - 1];
        QPointF b = line[i];
        if (!ClipSegment(a, b, rect)) {
            continue;
        }
        if (pieces.empty() || pieces.back().last() != a) {
            pieces.emplace_back();
            pieces.back() << a;
        }
        pieces.back() << b;
    }
    return pieces;
}

QPolygonF ClipRing(const QPolygonF& ring, const QRectF& rect) {
    // Each edge of the rectangle keeps what lies on its inner side.
    const auto clipEdge = [](const QPolygonF& input, auto inside, auto cross) {
        QPolygonF output;
        for (int i = 0; i < input.size(); ++i) {
            const QPointF& current = input[i];
            const QPointF& previous = input[(i + input.size() - 1) % input.size()];
            if (inside(current)) {
                if (!inside(previous)) {
                    output << cross(previous, current);
                }
                output << current;
            } else if (inside(previous)) {
                output << cross(previous, current);
            }
        }
        return output;
    };
    const auto atX = [](const QPointF& a, const QPointF& b, double x) {
        return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
    };
    const auto atY = [](const QPointF& a, const QPointF& b, double y) {
        return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
    };
    QPolygonF result = ring;
    result = clipEdge(
        result, [&](const QPointF& p) { return p.x() >= rect.left(); },
        [&](const QPointF& a, const QPointF& b) { return atX(a, b, rect.left()); });
    result = clipEdge(
        result, [&](const QPointF& p) { return p.x() <= rect.right(); },
        [&](const QPointF& a, const QPointF& b) { return atX(a, b, rect.right()); });
    result = clipEdge(
        result, [&](const QPointF& p) { return p.y() >= rect.top(); },
        [&](const QPointF& a, const QPointF& b) { return atY(a, b, rect.top()); });
    result = clipEdge(
        result, [&](const QPointF& p) { return p.y() <= rect.bottom(); },
        [&](const QPointF& a, const QPointF& b) { return atY(a, b, rect.bottom()); });
    return result;
}

ScreenProjection::ScreenProjection(const Marble::ViewportParams& viewport)
    : viewport_(viewport),
      spherical_(viewport.projection() == Marble::Spherical),
      centre_(viewport.width() / 2.0, viewport.height() / 2.0),
      radius_(viewport.radius()),
      rect_(0.0, 0.0, viewport.width(), viewport.height()),
      // A pixel spans at least this angle in every projection the map offers.
      radiansPerPixel_(1.0 / std::max(1, viewport.radius())) {
    if (spherical_) {
        for (int axis = 0; axis < 3; ++axis) {
            Marble::Quaternion basis(0.0, axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0,
                                     axis == 2 ? 1.0 : 0.0);
            basis.rotateAroundAxis(viewport.planetAxisMatrix());
            for (int i = 0; i < 3; ++i) {
                rotation_[axis][i] = basis.v[i];
            }
        }
    }
    const Marble::GeoDataLatLonAltBox& box = viewport.viewLatLonAltBox();
    const double margin = kMarginPixels * radiansPerPixel_ * 2.0;
    view_ = {box.west() - margin, box.south() - margin, box.east() + margin, box.north() + margin};
    viewCrossesDateLine_ = box.crossesDateLine();
}

bool ScreenProjection::Project(const GeoPoint& point, QPointF& position) {
    ClearUpperVectorHalves();
    if (spherical_) {
        // The globe's own rotation of the point's unit vector (axes as the globe orients them),
        // far cheaper than the general path that a large file would pay at every frame.
        const double cosLat = std::cos(point.lat);
        const double unit[3] = {cosLat * std::sin(point.lon), std::sin(point.lat),
                                cosLat * std::cos(point.lon)};
        double rotated[3];
        for (int i = 0; i < 3; ++i) {
            rotated[i] =
                unit[0] * rotation_[0][i] + unit[1] * rotation_[1][i] + unit[2] * rotation_[2][i];
        }
        position = {centre_.x() + radius_ * rotated[Marble::Q_X],
                    centre_.y() - radius_ * rotated[Marble::Q_Y]};
        return rotated[Marble::Q_Z] >= 0.0;
    }
    scratch_.set(point.lon, point.lat);
    qreal x = 0.0;
    qreal y = 0.0;
    bool hidden = false;
    viewport_.screenCoordinates(scratch_, x, y, hidden);
    position = {x, y};
    return !hidden;
}

bool ScreenProjection::MayShow(const GeoBox& box) const {
    if (box.north < view_.south || box.south > view_.north) {
        return false;
    }
    if (viewCrossesDateLine_) {
        return box.east >= view_.west || box.west <= view_.east;
    }
    return box.east >= view_.west && box.west <= view_.east;
}

std::span<const QPolygonF> ScreenProjection::Runs(const FeatureLevel& level,
                                                  const FeaturePart& part) {
    // The polygons are kept from call to call, so that their memory is reused.
    size_t used = 0;
    bool inRun = false;
    QPointF position;
    for (std::uint32_t i = part.first; i < part.first + part.count; ++i) {
        if (!Project(level.points[i], position)) {
            inRun = false;
            continue;
        }
        if (!inRun) {
            if (used == runs_.size()) {
                runs_.emplace_back();
            }
            runs_[used].clear();
            ++used;
            inRun = true;
        }
        runs_[used - 1] << position;
    }
    return {runs_.data(), used};
}

FeaturePainter::FeaturePainter(QPainter& painter, const Marble::ViewportParams& viewport)
    : painter_(painter), projection_(viewport) {}

void FeaturePainter::UsePen(const QPen& pen) {
    if (!currentPen_ || *currentPen_ != pen) {
        painter_.setPen(pen);
        currentPen_ = pen;
    }
}

void FeaturePainter::Paint(const KmlFeatures& features, const FeatureFilter& filter) {
    const FeatureLevel& level = features.LevelFor(projection_.RadiansPerPixel());
    pens_.clear();
    dotBrushes_.clear();
    for (const FeatureStyle& style : features.Styles()) {
        pens_.emplace_back(QColor::fromRgba(style.line), style.lineWidth, Qt::SolidLine,
                           Qt::RoundCap, Qt::RoundJoin);
        dotBrushes_.emplace_back(QColor::fromRgba(style.line));
    }
    painter_.setBrush(Qt::NoBrush);
    currentPen_.reset();
    ForEachShownFeature(level, projection_, filter, [&](const Feature& feature) {
        const FeatureStyle& style = features.Styles()[feature.style];
        switch (feature.kind) {
            case FeatureKind::Point:
                PaintPoint(feature, level, style, features);
                break;
            case FeatureKind::Line:
                PaintLine(feature, level, false);
                break;
            case FeatureKind::Ring:
                PaintLine(feature, level, true);
                break;
            case FeatureKind::Polygon:
                PaintPolygon(feature, level, style);
                break;
        }
        ++drawn_;
    });
    EndDots();
}

void FeaturePainter::DrawPolyline(const QPolygonF& run, bool closed, std::uint32_t style) {
    const QRectF bounds = run.boundingRect();
    const double width = std::max(1.0, pens_[style].widthF());
    if (IsDot(bounds)) {
        DrawDot(run.first(), style, width);
        return;
    }
    EndDots();
    UsePen(pens_[style]);
    const double reach = width + 2.0;
    const QRectF limit = projection_.Rect().adjusted(-reach, -reach, reach, reach);
    if (Inside(bounds, limit)) {
        if (closed) {
            painter_.drawPolygon(run);
        } else {
            painter_.drawPolyline(run);
        }
        return;
    }
    if (!Overlaps(bounds, limit)) {
        return;
    }
    // Far-off positions (a street view of a long line) are cut at the view's edge, which
    // spares the painter coordinates it handles badly.
    QPolygonF line = run;
    if (closed) {
        line << run.first();
    }
    for (const QPolygonF& piece : ClipPolyline(line, limit)) {
        painter_.drawPolyline(piece);
    }
}

// A square the width of the line, on whole pixels so that it keeps its pure colour: as visible
// as a round dot, and far quicker.
void FeaturePainter::DrawDot(const QPointF& at, std::uint32_t style, double width) {
    if (!dots_.empty() && style != dotStyle_) {
        FlushDots();
    }
    dotStyle_ = style;
    const int side = static_cast<int>(std::lround(width));
    dots_.emplace_back(static_cast<int>(std::lround(at.x() - width / 2.0)),
                       static_cast<int>(std::lround(at.y() - width / 2.0)), side, side);
}

void FeaturePainter::FlushDots() {
    if (dots_.empty()) {
        return;
    }
    // The painter stays set up for dots until something else is drawn.
    if (!drawingDots_) {
        antialiased_ = painter_.testRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setPen(Qt::NoPen);
        currentPen_.reset();
        drawingDots_ = true;
    }
    painter_.setBrush(dotBrushes_[dotStyle_]);
    painter_.drawRects(dots_.data(), static_cast<int>(dots_.size()));
    dots_.clear();
}

void FeaturePainter::EndDots() {
    FlushDots();
    if (drawingDots_) {
        painter_.setBrush(Qt::NoBrush);
        painter_.setRenderHint(QPainter::Antialiasing, antialiased_);
        drawingDots_ = false;
    }
}

void FeaturePainter::PaintLine(const Feature& feature, const FeatureLevel& level, bool closed) {
    const QPen& pen = pens_[feature.style];
    const double width = std::max(1.0, pen.widthF());
    // The features of a distant view are mostly single points: straight to a dot.
    if (feature.partCount == 1 && level.parts[feature.firstPart].count == 1) {
        QPointF position;
        if (projection_.Project(level.points[level.parts[feature.firstPart].first], position) &&
            projection_.Rect().adjusted(-width, -width, width, width).contains(position)) {
            DrawDot(position, feature.style, width);
        }
        return;
    }
    const std::uint32_t end = feature.firstPart + feature.partCount;
    for (std::uint32_t p = NextShownPart(level, feature, projection_, feature.firstPart); p < end;
         p = NextShownPart(level, feature, projection_, p + 1)) {
        const FeaturePart& part = level.parts[p];
        const std::span<const QPolygonF> runs = projection_.Runs(level, part);
        const bool whole = runs.size() == 1 && runs.front().size() == static_cast<int>(part.count);
        for (const QPolygonF& run : runs) {
            DrawPolyline(run, closed && whole, feature.style);
        }
    }
}

void FeaturePainter::PaintPolygon(const Feature& feature, const FeatureLevel& level,
                                  const FeatureStyle& style) {
    std::vector<QPolygonF> rings;
    bool whole = true;
    for (std::uint32_t p = 0; p < feature.partCount; ++p) {
        const FeaturePart& part = level.parts[feature.firstPart + p];
        const std::span<const QPolygonF> runs = projection_.Runs(level, part);
        whole = whole && runs.size() == 1 && runs.front().size() == static_cast<int>(part.count);
        rings.insert(rings.end(), runs.begin(), runs.end());
    }
    if (rings.empty()) {
        return;
    }
    EndDots();
    // Near the globe's rim a ring may be partly hidden: its outline is drawn, not its fill.
    if (style.filled && whole) {
        const QRectF bounds = rings.front().boundingRect();
        if (IsDot(bounds)) {
            painter_.fillRect(QRectF(bounds.topLeft(), QSizeF(1.0, 1.0)),
                              QColor::fromRgba(style.fill));
        } else if (Overlaps(bounds, projection_.Rect())) {
            const QRectF limit = projection_.Rect().adjusted(-2.0, -2.0, 2.0, 2.0);
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            for (const QPolygonF& ring : rings) {
                path.addPolygon(Inside(ring.boundingRect(), limit) ? ring : ClipRing(ring, limit));
                path.closeSubpath();
            }
            painter_.fillPath(path, QColor::fromRgba(style.fill));
        }
    }
    if (style.outlined) {
        for (const QPolygonF& ring : rings) {
            DrawPolyline(ring, whole, feature.style);
        }
    }
}

void FeaturePainter::PaintPoint(const Feature& feature, const FeatureLevel& level,
                                const FeatureStyle& style, const KmlFeatures& features) {
    QPointF position;
    if (!projection_.Project(level.points[level.parts[feature.firstPart].first], position)) {
        return;
    }
    EndDots();
    const double side = PointSide(style);
    const QRectF square(position.x() - side / 2.0, position.y() - side / 2.0, side, side);
    if (!Overlaps(square, projection_.Rect())) {
        return;
    }
    if (style.iconImage.isNull()) {
        UsePen(QPen(QColor(0, 0, 0, 160), 1.0));
        painter_.setBrush(QColor::fromRgba(style.icon));
        painter_.drawRect(square);
        painter_.setBrush(Qt::NoBrush);
    } else {
        painter_.drawImage(square, style.iconImage);
    }
    ++pointsDrawn_;
    const QString text = LabelText(features.Placemarks()[feature.placemark].name);
    if (!text.isEmpty() && labels_.size() <= kMostLabels) {
        labels_.push_back({QPointF(square.right() + 3.0, position.y()), text, style.label, side,
                           &features, feature.placemark});
    }
}

void FeaturePainter::PaintLabels() {
    EndDots();
    if (labels_.empty() || labels_.size() > kMostLabels) {
        return;
    }
    std::stable_sort(labels_.begin(), labels_.end(),
                     [](const Label& a, const Label& b) { return a.priority > b.priority; });
    const QFontMetricsF metrics(painter_.font());
    std::vector<QRectF> taken;
    for (const Label& label : labels_) {
        QRectF box = metrics.boundingRect(label.text);
        box.moveTopLeft(QPointF(label.at.x(), label.at.y() - box.height() / 2.0));
        if (std::any_of(taken.begin(), taken.end(),
                        [&](const QRectF& other) { return other.intersects(box); })) {
            continue;
        }
        taken.push_back(box);
        drawnLabels_.push_back({box, label.features, label.placemark});
        const QPointF baseline(box.left(), box.top() + metrics.ascent());
        painter_.setPen(QColor(0, 0, 0, 200));
        painter_.drawText(baseline + QPointF(1.0, 1.0), label.text);
        painter_.setPen(QColor::fromRgba(label.colour));
        painter_.drawText(baseline, label.text);
    }
    currentPen_.reset();
}

std::optional<std::uint32_t> PlacemarkAt(const KmlFeatures& features,
                                         const Marble::ViewportParams& viewport,
                                         const QPointF& position, double tolerance,
                                         const FeatureFilter& filter) {
    ScreenProjection projection(viewport);
    const FeatureLevel& level = features.LevelFor(projection.RadiansPerPixel());
    std::optional<std::uint32_t> found;
    bool foundPoint = false;
    ForEachShownFeature(level, projection, filter, [&](const Feature& feature) {
        const bool point = feature.kind == FeatureKind::Point;
        if ((foundPoint && !point) || !HasTexts(features.Placemarks()[feature.placemark])) {
            return;
        }
        const FeatureStyle& style = features.Styles()[feature.style];
        const double reach = tolerance + (point ? PointSide(style) : style.lineWidth) / 2.0;
        bool hit = false;
        const std::uint32_t end = feature.firstPart + feature.partCount;
        for (std::uint32_t p = NextShownPart(level, feature, projection, feature.firstPart);
             p < end && !hit; p = NextShownPart(level, feature, projection, p + 1)) {
            for (const QPolygonF& run : projection.Runs(level, level.parts[p])) {
                const bool closed = feature.kind != FeatureKind::Line;
                const bool inside = feature.kind == FeatureKind::Polygon && style.filled &&
                                    p == feature.firstPart &&
                                    run.containsPoint(position, Qt::OddEvenFill);
                if (inside || DistanceToRun(position, run, closed) <= reach) {
                    hit = true;
                    break;
                }
            }
        }
        if (hit) {
            found = feature.placemark;
            foundPoint = point;
        }
    });
    return found;
}

std::optional<GeoPoint> VertexNear(const KmlFeatures& features,
                                   const Marble::ViewportParams& viewport, const QPointF& position,
                                   double tolerance) {
    ScreenProjection projection(viewport);
    const FeatureLevel& level = features.Full();
    // Points (sites, test points) first: a site's wedges have vertices a few pixels away.
    std::vector<ScreenPoint> candidates[2];
    std::vector<GeoPoint> vertices[2];
    QPointF at;
    ForEachShownFeature(level, projection, {}, [&](const Feature& feature) {
        const int kind = feature.kind == FeatureKind::Point ? 0 : 1;
        const std::uint32_t end = feature.firstPart + feature.partCount;
        for (std::uint32_t p = NextShownPart(level, feature, projection, feature.firstPart);
             p < end; p = NextShownPart(level, feature, projection, p + 1)) {
            const FeaturePart& part = level.parts[p];
            for (std::uint32_t k = part.first; k < part.first + part.count; ++k) {
                if (projection.Project(level.points[k], at) &&
                    std::abs(at.x() - position.x()) <= tolerance &&
                    std::abs(at.y() - position.y()) <= tolerance) {
                    candidates[kind].push_back({at.x(), at.y()});
                    vertices[kind].push_back(level.points[k]);
                }
            }
        }
    });
    for (int kind = 0; kind < 2; ++kind) {
        if (const std::optional<std::size_t> nearest =
                NearestWithin({position.x(), position.y()}, candidates[kind], tolerance)) {
            return vertices[kind][*nearest];
        }
    }
    return std::nullopt;
}

}  // namespace orvane
