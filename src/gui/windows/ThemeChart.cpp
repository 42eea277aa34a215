#include "windows/ThemeChart.h"

#include <QBuffer>
#include <QFile>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/SafeFile.h"

namespace orvane {

namespace {

// Room for the title above, the count axis at the left, the share axis at the right and the
// bar labels below.
constexpr int kTop = 34;
constexpr int kLeft = 64;
constexpr int kRight = 52;
constexpr int kBottom = 40;
constexpr int kCountTicks = 5;
const QColor kCurveColour(200, 40, 40);
const QSize kExportSize(800, 480);

QRectF PlotArea(QSize size) {
    return QRectF(kLeft, kTop, std::max(size.width() - kLeft - kRight, 1),
                  std::max(size.height() - kTop - kBottom, 1));
}

// A step of 1, 2 or 5 times a power of ten, so that the count axis reads in round numbers.
std::int64_t TickStep(const ThemeChartData& data) {
    std::int64_t highest = 1;
    for (const ThemeChartBar& bar : data.bars) {
        highest = std::max(highest, bar.Total());
    }
    const std::int64_t wanted = (highest + kCountTicks - 1) / kCountTicks;
    for (std::int64_t power = 1;; power *= 10) {
        for (const std::int64_t factor : {1, 2, 5}) {
            if (factor * power >= wanted) {
                return factor * power;
            }
        }
    }
}

// The count at the top of the plot.
std::int64_t Highest(const ThemeChartData& data) {
    return TickStep(data) * kCountTicks;
}

std::int64_t AllValues(const ThemeChartData& data) {
    std::int64_t all = 0;
    for (const ThemeChartBar& bar : data.bars) {
        all += bar.Total();
    }
    return all;
}

void DrawAxes(QPainter& painter, const ThemeChartData& data, const QRectF& plot) {
    painter.setPen(Qt::gray);
    const std::int64_t highest = Highest(data);
    for (int tick = 0; tick <= kCountTicks; ++tick) {
        const double y = plot.bottom() - plot.height() * tick / kCountTicks;
        painter.drawLine(QPointF(plot.left() - 4, y), QPointF(plot.left(), y));
        painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 4, y));
        const QString count = QString::number(highest / kCountTicks * tick);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y - 8, kLeft - 8, 16), Qt::AlignRight | Qt::AlignVCenter, count);
        painter.drawText(QRectF(plot.right() + 6, y - 8, kRight - 6, 16),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1%").arg(100 * tick / kCountTicks));
        painter.setPen(Qt::gray);
    }
    painter.drawRect(plot);
}

void DrawLabel(QPainter& painter, double x, double top, const QString& text) {
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x - 40, top + 4, 80, kBottom - 8), Qt::AlignHCenter | Qt::AlignTop,
                     text);
}

void DrawBars(QPainter& painter, const ThemeChartData& data, QSize size) {
    const QRectF plot = PlotArea(size);
    const std::int64_t highest = Highest(data);
    // Labels stand under every bar when there is room, else under every n-th.
    const int labelEvery =
        std::max<int>(1, static_cast<int>(data.bars.size() * 60 / std::max(plot.width(), 1.0)));
    for (size_t i = 0; i < data.bars.size(); ++i) {
        const QRectF whole = ThemeChartBarRect(data, size, i);
        double bottom = plot.bottom();
        for (const auto& [colour, count] : data.bars[i].parts) {
            const double height = plot.height() * static_cast<double>(count) / highest;
            painter.fillRect(QRectF(whole.left(), bottom - height, whole.width(), height), colour);
            bottom -= height;
        }
        if (i % static_cast<size_t>(labelEvery) == 0) {
            const double x = data.endLabel.isEmpty() ? whole.center().x() : whole.left();
            DrawLabel(painter, x, plot.bottom(), data.bars[i].label);
        }
    }
    if (!data.endLabel.isEmpty()) {
        DrawLabel(painter, plot.right(), plot.bottom(), data.endLabel);
    }
}

// The share of all values up to and with each bar, at the bar's right edge.
void DrawCumulativeCurve(QPainter& painter, const ThemeChartData& data, QSize size) {
    const std::int64_t all = AllValues(data);
    if (all == 0) {
        return;
    }
    const QRectF plot = PlotArea(size);
    QPainterPath curve(plot.bottomLeft());
    std::int64_t sum = 0;
    for (size_t i = 0; i < data.bars.size(); ++i) {
        sum += data.bars[i].Total();
        const QRectF bar = ThemeChartBarRect(data, size, i);
        curve.lineTo(bar.right(), plot.bottom() - plot.height() * static_cast<double>(sum) / all);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kCurveColour, 2));
    painter.drawPath(curve);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void DrawChart(QPainter& painter, const ThemeChartData& data, QSize size) {
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 4, size.width(), kTop - 8), Qt::AlignCenter, data.title);
    DrawBars(painter, data, size);
    DrawAxes(painter, data, PlotArea(size));
    DrawCumulativeCurve(painter, data, size);
}

}  // namespace

std::int64_t ThemeChartBar::Total() const {
    std::int64_t total = 0;
    for (const auto& part : parts) {
        total += part.second;
    }
    return total;
}

QRectF ThemeChartBarRect(const ThemeChartData& data, QSize size, size_t bar) {
    const QRectF plot = PlotArea(size);
    const double slot = plot.width() / static_cast<double>(std::max<size_t>(data.bars.size(), 1));
    const double gap = slot > 6 ? 1 : 0;  // narrow bars touch
    const double height =
        plot.height() * static_cast<double>(data.bars[bar].Total()) / Highest(data);
    return QRectF(plot.left() + slot * static_cast<double>(bar) + gap, plot.bottom() - height,
                  slot - 2 * gap, height);
}

ThemeChart::ThemeChart(QWidget* parent) : QWidget(parent) {
    setObjectName("ThemeChart");
    setMinimumSize(480, 300);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void ThemeChart::SetData(ThemeChartData data) {
    data_ = std::move(data);
    update();
}

QImage ThemeChart::Picture(QSize size) const {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font());
    DrawChart(painter, data_, size);
    return picture;
}

void ThemeChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawChart(painter, data_, size());
}

ThemeChartDialog::ThemeChartDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName("ThemeChartDialog");
    setWindowTitle(QStringLiteral("统计图"));
    chart_ = new ThemeChart(this);
    auto* exportButton = Named<QPushButton>("BtnExportPng", QStringLiteral("导出PNG"), this);
    exportButton->setAutoDefault(false);
    OnClick(exportButton, this, dialogs_, &ThemeChartDialog::ExportPng);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chart_, 1);
    layout->addLayout(buttons);
    resize(kExportSize + QSize(24, 64));
}

void ThemeChartDialog::Show(ThemeChartData data) {
    chart_->SetData(std::move(data));
    show();
    raise();
}

void ThemeChartDialog::ExportPng() {
    const std::optional<QString> path =
        dialogs_.SaveFile(this, {.filter = QStringLiteral("PNG(*.png)|*.png"),
                                 .defaultSuffix = QStringLiteral("png"),
                                 .promptOverwrite = true});
    if (!path) {
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    chart_->Picture(kExportSize).save(&buffer, "PNG");
    const std::string local = QFile::encodeName(*path).toStdString();
    AtomicFileWriter writer(local);
    writer.Write(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (!writer.Commit()) {
        throw CannotCreateFileError(local);
    }
}

}  // namespace orvane
