#include "app/TimeSlider.h"
#include "common/Named.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

namespace orvane {

namespace {

constexpr int kSteps = 1000;
// A replay runs through the whole time in about half a minute.
constexpr int kTickMs = 100;
constexpr int kStepsPerTick = 3;
constexpr std::int64_t kMinuteMs = 60000;

QString TimeText(std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd HH:mm:ss");
}

}  // namespace

TimeSlider::TimeSlider(TApplicationGE& globe, QWidget* parent) : QWidget(parent), globe_(globe) {
    setObjectName("TimeBar");
    play_ = Named<QToolButton>("TimePlay", this);
    play_->setText(QStringLiteral("播放"));
    slider_ = Named<QSlider>("TimeSlider", Qt::Horizontal, this);
    slider_->setRange(0, kSteps);
    slider_->setValue(kSteps);
    width_ = Named<QComboBox>("TimeWidth", this);
    width_->addItem(QStringLiteral("全部"), 0);
    for (const int minutes : {1, 5, 15, 60}) {
        width_->addItem(minutes < 60 ? QStringLiteral("%1分钟").arg(minutes)
                                     : QStringLiteral("%1小时").arg(minutes / 60),
                        minutes);
    }
    text_ = Named<QLabel>("TimeText", this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(play_);
    layout->addWidget(slider_, 1);
    layout->addWidget(new QLabel(QStringLiteral("时间窗口："), this));
    layout->addWidget(width_);
    layout->addWidget(text_);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    connect(play_, &QToolButton::clicked, this, [this] { PlayClick(); });
    connect(slider_, &QSlider::valueChanged, this, [this] { Apply(); });
    connect(width_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { Apply(); });
    hide();
}

void TimeSlider::FilesChanged(const QList<LoadedKmlFile>& files) {
    std::optional<KmlTimeWindow> extent;
    for (const LoadedKmlFile& file : files) {
        if (file.times) {
            extent = extent ? KmlTimeWindow{std::min(extent->begin, file.times->begin),
                                            std::max(extent->end, file.times->end)}
                            : *file.times;
        }
    }
    if (extent == extent_) {
        return;
    }
    const bool first = !extent_;
    extent_ = extent;
    setVisible(extent_.has_value());
    if (!extent_) {
        timer_.stop();
        play_->setText(QStringLiteral("播放"));
        globe_.SetKmlTimeWindow(std::nullopt);
        return;
    }
    // A timed file appears whole; the slider starts at its end.
    if (first) {
        slider_->setValue(kSteps);
    }
    Apply();
}

std::optional<KmlTimeWindow> TimeSlider::Window() const {
    if (!extent_) {
        return std::nullopt;
    }
    const std::int64_t end = SliderTime();
    const std::int64_t width = width_->currentData().toInt() * kMinuteMs;
    return KmlTimeWindow{width == 0 ? extent_->begin : end - width, end};
}

std::int64_t TimeSlider::SliderTime() const {
    const double share = static_cast<double>(slider_->value()) / kSteps;
    return extent_->begin +
           static_cast<std::int64_t>(share * static_cast<double>(extent_->end - extent_->begin));
}

void TimeSlider::Apply() {
    const std::optional<KmlTimeWindow> window = Window();
    if (!window) {
        return;
    }
    text_->setText(TimeText(window->begin) + QStringLiteral(" – ") + TimeText(window->end));
    globe_.SetKmlTimeWindow(window);
}

void TimeSlider::PlayClick() {
    if (timer_.isActive()) {
        timer_.stop();
        play_->setText(QStringLiteral("播放"));
        return;
    }
    if (slider_->value() == kSteps) {
        slider_->setValue(0);
    }
    timer_.start();
    play_->setText(QStringLiteral("暂停"));
}

void TimeSlider::Step() {
    slider_->setValue(std::min(kSteps, slider_->value() + kStepsPerTick));
    if (slider_->value() == kSteps) {
        timer_.stop();
        play_->setText(QStringLiteral("播放"));
    }
}

}  // namespace orvane
