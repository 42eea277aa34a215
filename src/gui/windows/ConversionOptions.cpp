#include "windows/ConversionOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

#include "common/CsvText.h"
#include "common/Dialogs.h"
#include "common/Named.h"
#include "common/ProductInfo.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

// The offsets a log's local time may have, every quarter hour from UTC-12 to UTC+14.
constexpr int kOffsetStep = 15;
constexpr int kDefaultSampleSpacing = 50;  // metres

QString OffsetText(int minutes) {
    const int magnitude = minutes < 0 ? -minutes : minutes;
    return QStringLiteral("%1%2:%3")
        .arg(minutes < 0 ? '-' : '+')
        .arg(magnitude / 60, 2, 10, QChar('0'))
        .arg(magnitude % 60, 2, 10, QChar('0'));
}

}  // namespace

ConversionOptionsGroup::ConversionOptionsGroup(LegendWindow window, Dialogs& dialogs,
                                               QWidget* parent)
    : QGroupBox(QStringLiteral("输出选项"), parent),
      window_(window),
      dialogs_(dialogs),
      settingsGroup_(window == LegendWindow::DriveTest ? QStringLiteral("DriveTestOptions")
                                                       : QStringLiteral("CqtOptions")) {
    setObjectName("GroupOutputOptions");
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(2);
    BuildLegendRow(layout);
    if (window_ == LegendWindow::DriveTest) {
        BuildTrackRows(layout);
    }
    BuildStatisticsRow(layout, layout->rowCount());
    Restore();
}

void ConversionOptionsGroup::BuildLegendRow(QGridLayout* layout) {
    legendFolders_ = Named<QCheckBox>("ChkLegendFolders", QStringLiteral("图例分文件夹"), this);
    legendOverlay_ = Named<QCheckBox>("ChkLegendOverlay", QStringLiteral("图例叠加图"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(legendFolders_);
    if (window_ == LegendWindow::DriveTest) {
        mergeLines_ = Named<QCheckBox>("ChkMergeLines", QStringLiteral("合并线"), this);
        connect(mergeLines_, &QCheckBox::toggled, this, [this](bool on) { MergeLinesToggled(on); });
        row->addWidget(mergeLines_);
    }
    row->addWidget(legendOverlay_);
    row->addStretch();
    layout->addLayout(row, 0, 0, 1, 4);
}

void ConversionOptionsGroup::BuildTrackRows(QGridLayout* layout) {
    timeField_ = Named<QComboBox>("CBoxTimeField", this);
    timeField_->setMinimumContentsLength(10);
    timeField_->addItem(QString());
    timeDate_ = Named<QLineEdit>("EdtTimeDate", this);
    timeDate_->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    timeDate_->setToolTip(QStringLiteral("时间字段只有时分秒时，日志第一条记录的日期"));
    timeDate_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,4}(-\\d{0,2}(-\\d{0,2})?)?")), timeDate_));
    utcOffset_ = Named<QComboBox>("CBoxUtcOffset", this);
    utcOffset_->setToolTip(QStringLiteral("日志时间所在时区；空：不写时区"));
    utcOffset_->addItem(QString());
    for (int minutes = kMinUtcOffsetMinutes; minutes <= kMaxUtcOffsetMinutes;
         minutes += kOffsetStep) {
        utcOffset_->addItem(OffsetText(minutes), minutes);
    }
    samples_ = Named<QCheckBox>("ChkSamples", QStringLiteral("采样点间距："), this);
    sampleSpacing_ = Named<QSpinBox>("SpinSampleSpacing", this);
    sampleSpacing_->setRange(kMinSampleSpacing, kMaxSampleSpacing);
    sampleSpacing_->setValue(kDefaultSampleSpacing);
    sampleSpacing_->setEnabled(false);
    connect(samples_, &QCheckBox::toggled, sampleSpacing_, &QSpinBox::setEnabled);

    layout->addWidget(Caption(QStringLiteral("时间字段："), "LblTimeField", this), 1, 0);
    layout->addWidget(timeField_, 1, 1);
    layout->addWidget(Caption(QStringLiteral("日期："), "LblTimeDate", this), 1, 2);
    layout->addWidget(timeDate_, 1, 3);
    layout->addWidget(Caption(QStringLiteral("UTC偏移："), "LblUtcOffset", this), 2, 0);
    layout->addWidget(utcOffset_, 2, 1);
    auto* spacing = new QHBoxLayout;
    spacing->addWidget(sampleSpacing_, 1);
    spacing->addWidget(Caption(QStringLiteral("米"), "LblSampleMetres", this));
    layout->addWidget(samples_, 2, 2);
    layout->addLayout(spacing, 2, 3);
}

void ConversionOptionsGroup::BuildStatisticsRow(QGridLayout* layout, int row) {
    statisticsCsv_ = Named<QCheckBox>("ChkStatsCsv", QStringLiteral("统计CSV："), this);
    statisticsPath_ = Named<QLineEdit>("EdtStatsFName", this);
    statisticsPath_->setPlaceholderText(QStringLiteral("与KML文件同名，_图例统计.csv"));
    statisticsPath_->setEnabled(false);
    statisticsButton_ = PictureButton("BtnStatsFile", QStyle::SP_DialogSaveButton,
                                      QStringLiteral("选择统计CSV文件"), this);
    statisticsButton_->setEnabled(false);
    connect(statisticsCsv_, &QCheckBox::toggled, statisticsPath_, &QLineEdit::setEnabled);
    connect(statisticsCsv_, &QCheckBox::toggled, statisticsButton_, &QToolButton::setEnabled);
    OnClick(statisticsButton_, this, dialogs_, &ConversionOptionsGroup::ChooseStatisticsFile);
    auto* path = new QHBoxLayout;
    path->addWidget(statisticsPath_, 1);
    path->addWidget(statisticsButton_);
    layout->addWidget(statisticsCsv_, row, 0);
    layout->addLayout(path, row, 1, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);
}

void ConversionOptionsGroup::MergeLinesToggled(bool on) {
    // Merged lines stand in the folders of their entries.
    if (on) {
        foldersBeforeMerge_ = legendFolders_->isChecked();
        legendFolders_->setChecked(true);
    } else {
        legendFolders_->setChecked(foldersBeforeMerge_);
    }
    legendFolders_->setEnabled(!on);
}

void ConversionOptionsGroup::ChooseStatisticsFile() {
    if (const std::optional<QString> path =
            dialogs_.SaveFile(window(), {.filter = QStringLiteral("CSV(*.csv)|*.csv"),
                                         .defaultSuffix = QStringLiteral("csv"),
                                         .directory = QDir::currentPath(),
                                         .fileName = statisticsPath_->text(),
                                         .promptOverwrite = true})) {
        statisticsPath_->setText(*path);
    }
}

void ConversionOptionsGroup::SetLogFields(const std::vector<std::string>& names) {
    if (timeField_ == nullptr) {
        return;
    }
    const QString chosen =
        timeField_->currentIndex() > 0 ? timeField_->currentText() : rememberedTimeField_;
    timeField_->clear();
    timeField_->addItem(QString());
    timeField_->addItems(FromUtf8(names));
    timeField_->setCurrentIndex(
        chosen.isEmpty() ? 0 : std::max(0, timeField_->findText(chosen, Qt::MatchFixedString)));
}

void ConversionOptionsGroup::Apply(DtConversionRequest& request) const {
    request.legendFolders = legendFolders_->isChecked();
    request.mergeLines = mergeLines_->isChecked();
    request.legendOverlay = legendOverlay_->isChecked();
    if (timeField_->currentIndex() > 0) {
        DtTimeOptions time;
        time.column = timeField_->currentIndex() - 1;
        time.date = timeDate_->text().trimmed().toStdString();
        if (utcOffset_->currentIndex() > 0) {
            time.utcOffsetMinutes = utcOffset_->currentData().toInt();
        }
        request.time = time;
    }
    request.sampleSpacing = samples_->isChecked() ? sampleSpacing_->value() : 0;
}

void ConversionOptionsGroup::Apply(CqtConversionRequest& request) const {
    request.legendFolders = legendFolders_->isChecked();
    request.legendOverlay = legendOverlay_->isChecked();
}

bool ConversionOptionsGroup::WantsStatistics() const {
    return legendFolders_->isChecked() || legendOverlay_->isChecked() ||
           statisticsCsv_->isChecked();
}

QString ConversionOptionsGroup::StatisticsPath(const QString& outputPath) {
    if (!statisticsCsv_->isChecked()) {
        return {};
    }
    if (statisticsPath_->text().trimmed().isEmpty()) {
        statisticsPath_->setText(WithExtension(outputPath, QStringLiteral("_图例统计.csv")));
    }
    return statisticsPath_->text().trimmed();
}

void ConversionOptionsGroup::ReportStatistics(const LegendStatistics& statistics,
                                              const QString& csvPath,
                                              const ConversionObserver& observer) {
    for (const LegendStatisticsRow& row : statistics.rows) {
        observer.info(LegendRowReport(statistics, row));
    }
    if (!csvPath.isEmpty()) {
        WriteCsvFile(LocalPath(csvPath), LegendStatisticsCsv(statistics));
        observer.info("图例统计已导出：" + csvPath.toStdString());
    }
}

void ConversionOptionsGroup::Remember() const {
    QSettings settings(kProductTitle, kProductTitle);
    settings.beginGroup(settingsGroup_);
    // Folders checked only because the lines were merged are the merge's, not the user's.
    const bool merged = mergeLines_ != nullptr && mergeLines_->isChecked();
    settings.setValue("LegendFolders", merged ? foldersBeforeMerge_ : legendFolders_->isChecked());
    settings.setValue("LegendOverlay", legendOverlay_->isChecked());
    settings.setValue("StatsCsv", statisticsCsv_->isChecked());
    if (window_ == LegendWindow::DriveTest) {
        settings.setValue("MergeLines", mergeLines_->isChecked());
        settings.setValue("TimeField", timeField_->currentText());
        settings.setValue("TimeDate", timeDate_->text());
        settings.setValue("UtcOffset", utcOffset_->currentText());
        settings.setValue("Samples", samples_->isChecked());
        settings.setValue("SampleSpacing", sampleSpacing_->value());
    }
}

void ConversionOptionsGroup::Restore() {
    QSettings settings(kProductTitle, kProductTitle);
    settings.beginGroup(settingsGroup_);
    legendFolders_->setChecked(settings.value("LegendFolders", false).toBool());
    legendOverlay_->setChecked(settings.value("LegendOverlay", false).toBool());
    statisticsCsv_->setChecked(settings.value("StatsCsv", false).toBool());
    if (window_ == LegendWindow::DriveTest) {
        mergeLines_->setChecked(settings.value("MergeLines", false).toBool());
        rememberedTimeField_ = settings.value("TimeField").toString();
        timeDate_->setText(settings.value("TimeDate").toString());
        utcOffset_->setCurrentIndex(
            std::max(0, utcOffset_->findText(settings.value("UtcOffset").toString())));
        samples_->setChecked(settings.value("Samples", false).toBool());
        sampleSpacing_->setValue(settings.value("SampleSpacing", kDefaultSampleSpacing).toInt());
    }
}

}  // namespace orvane
