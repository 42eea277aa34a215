#include "windows/FrmDT.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "common/DesktopHost.h"
#include "common/DesktopSettings.h"
#include "common/Encoding.h"
#include "common/Errors.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "common/WaitCursor.h"
#include "legend/ThematicLegend.h"
#include "windows/ConversionOptions.h"
#include "windows/FrmBS.h"
#include "windows/FrmServingReport.h"
#include "windows/LegendPanel.h"
#include "windows/ServingCellGroup.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

// A log is judged by its first 4 KB: a binary file picked by mistake would otherwise show
// its bytes as field names.
void RefuseBinaryFile(const QString& path) {
    constexpr qint64 kJudgedBytes = 4096;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;  // reading it reports why
    }
    const QByteArray start = file.read(kJudgedBytes);
    if (!LooksLikeText(std::string_view(start.constData(), static_cast<size_t>(start.size())),
                       !file.atEnd())) {
        throw Error(QStringLiteral("%1 不是文本文件，不能作为DT数据读取").arg(path).toStdString());
    }
}

// The first name equal to the text ignoring letter case, or -1.
int NameIgnoringCase(const std::vector<std::string>& names, const QString& text) {
    const std::string wanted = text.toStdString();
    for (size_t i = 0; i < names.size(); ++i) {
        if (CompareIgnoringCase(names[i], wanted) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

size_t FieldPosition(int chosen) {
    return chosen < 0 ? 0 : static_cast<size_t>(chosen);
}

}  // namespace

TFrmDT::TFrmDT(DesktopHost& host, Dialogs& dialogs, TFrmColorCfg& colorCfg, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmDT");
    setWindowTitle(QStringLiteral("DT数据->KML"));
    setModal(false);

    Legend = new LegendPanel(LegendWindow::DriveTest, dialogs, colorCfg, this);
    Legend->setObjectName("Legend");
    Button6 = CommandButton(QStringLiteral("生成KML文件"), "Button6", this);
    Button1 = CommandButton(QStringLiteral("确定"), "Button1", this);
    OnClick(Button6, this, dialogs_, &TFrmDT::Button6Click);
    OnClick(Button1, this, dialogs_, &TFrmDT::Button1Click);

    QWidget* source = CreateSourceRows();
    QWidget* output = CreateOutputRows();
    options_ = new ConversionOptionsGroup(LegendWindow::DriveTest, dialogs_, this);
    Legend->AttachWindowControls(Button6, CBoxFNList);

    GroupBox4 = InformationBox(Memo0, this);

    GroupServing = new ServingCellGroup(dialogs_, this);
    GroupServing->setObjectName("GroupServing");
    FrmServingReport = new TFrmServingReport(host_, dialogs_, this);
    FrmServingReport->setObjectName("FrmServingReport");

    auto* route = new QHBoxLayout;
    route->addLayout(ConverterColumn({source, output, options_}, GroupBox4, Button6, Button1), 1);
    route->addWidget(Legend);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(route, 1);
    layout->addWidget(GroupServing);
    setFixedSize(860, 740);
}

TFrmDT::~TFrmDT() = default;

QWidget* TFrmDT::CreateSourceRows() {
    auto* rows = new QWidget(this);
    Label5 = Caption(QStringLiteral("DT数据（TXT文本）："), "Label5", rows);
    EdtDtFName = PathBox("EdtDtFName", rows);
    SpeedButton3 = PictureButton("SpeedButton3", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("打开DT文本记录文件"), rows);
    Label2 = Caption(QStringLiteral("经度字段："), "Label2", rows);
    CBox_Long = FieldBox("CBox_Long", true, rows);
    Label3 = Caption(QStringLiteral("纬度字段："), "Label3", rows);
    CBox_Lat = FieldBox("CBox_Lat", true, rows);
    Label8 = Caption(QStringLiteral("选择专题字段："), "Label8", rows);
    CBoxFNList = FieldBox("CBoxFNList", false, rows);
    OnClick(SpeedButton3, this, dialogs_, &TFrmDT::SpeedButton3Click);
    connect(CBoxFNList, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, dialogs_, &TFrmDT::CBoxFNListChange));

    auto* layout = new QGridLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label5, 0, 0, 1, 3);
    layout->addWidget(EdtDtFName, 1, 0, 1, 2);
    layout->addWidget(SpeedButton3, 1, 2);
    layout->addWidget(Label2, 2, 0);
    layout->addWidget(CBox_Long, 2, 1);
    layout->addWidget(Label3, 3, 0);
    layout->addWidget(CBox_Lat, 3, 1);
    layout->addWidget(Label8, 4, 0);
    layout->addWidget(CBoxFNList, 4, 1);
    layout->setColumnStretch(1, 1);
    return rows;
}

QWidget* TFrmDT::CreateOutputRows() {
    auto* rows = new QWidget(this);
    Label23 = Caption(QStringLiteral("轨迹宽度："), "Label23", rows);
    CSpinEdtWidth = Named<QSpinBox>("CSpinEdtWidth", rows);
    CSpinEdtWidth->setRange(kMinLineWidth, kMaxLineWidth);
    CSpinEdtWidth->setValue(kDefaultLineWidth);
    Label1 = Caption(QStringLiteral("单位：象素"), "Label1", rows);

    auto* width = new QHBoxLayout;
    width->addWidget(Label23);
    width->addWidget(CSpinEdtWidth);
    width->addWidget(Label1);
    width->addStretch();
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(width);
    AddOutputRows(layout, rows, {Label10, EdtFName2, SpeedButton4, SpeedButton6, CGauge2},
                  {"Label10", "EdtFName2", "SpeedButton4", "SpeedButton6", "CGauge2"});
    OnClick(SpeedButton4, this, dialogs_, &TFrmDT::SpeedButton4Click);
    OnClick(SpeedButton6, this, dialogs_, &TFrmDT::SpeedButton6Click);
    return rows;
}

void TFrmDT::SpeedButton3Click() {
    EdtDtFName->clear();
    if (const std::optional<QString> path = AskForFile(this, dialogs_, kDtLogTitle, kDtLogFilter)) {
        ReportErrors(this, dialogs_, [this, &path] { OpenInputFile(*path); });
    }
}

void TFrmDT::OpenInputFile(const QString& path) {
    RefuseBinaryFile(path);
    EdtDtFName->setText(path);
    EdtFName2->setText(WithExtension(path, ".kml"));
    {
        WaitCursor wait;
        lines_ = DtTextFile::Read(LocalPath(path));  // a copy in memory, not the file itself
    }
    ReadHeader();
}

void TFrmDT::ReadHeader() {
    const QString longitude = CBox_Long->currentText();
    const QString latitude = CBox_Lat->currentText();
    const QString theme = CBoxFNList->currentText();
    // A file without lines has no header: "List index out of bounds (0)".
    const std::vector<std::string> names = lines_->HeaderNames();
    const PositionColumns detected = DetectPositionColumns(names);
    GroupServing->SetLogFields(names);
    options_->SetLogFields(names);

    const QStringList items = FromUtf8(names);
    const QSignalBlocker quiet(CBoxFNList);
    for (QComboBox* box : {CBox_Long, CBox_Lat, CBoxFNList}) {
        box->clear();
        box->addItems(items);
    }

    const int keptLongitude = NameIgnoringCase(names, longitude);
    CBox_Long->setCurrentIndex(keptLongitude >= 0 ? keptLongitude
                                                  : static_cast<int>(detected.longitude));
    const int keptLatitude = NameIgnoringCase(names, latitude);
    CBox_Lat->setCurrentIndex(keptLatitude >= 0 ? keptLatitude
                                                : static_cast<int>(detected.latitude));

    // The theme field still there keeps its legend, scanned from the file it was chosen in.
    const int keptTheme = NameIgnoringCase(names, theme);
    if (keptTheme >= 0) {
        CBoxFNList->setCurrentIndex(keptTheme);
        return;
    }
    CBoxFNList->setCurrentIndex(0);
    RefreshLegend();
}

void TFrmDT::CBoxFNListChange() {
    if (lines_) {
        RefreshLegend();
    }
}

void TFrmDT::RefreshLegend() {
    const size_t position = FieldPosition(CBoxFNList->currentIndex());
    Legend->ChooseThemeField(
        [this, position] { return ScanThemeField(lines_->Values(position), DtNumberTest); });
}

void TFrmDT::SpeedButton4Click() {
    ChooseKmlOutput(this, dialogs_, *EdtFName2);
}

void TFrmDT::SpeedButton6Click() {
    ReportErrors(this, dialogs_, [this] { host_.ShowOnGlobe(EdtFName2->text()); });
}

DtConversionRequest TFrmDT::Request() const {
    DtConversionRequest request;
    request.dtPath = LocalPath(EdtDtFName->text());
    request.outPath = LocalPath(EdtFName2->text());
    request.layout = host_.Settings().Layout();
    request.digits = host_.Settings().CoordinateDigits();
    request.lonColumn = ChosenField(*CBox_Long);
    request.latColumn = ChosenField(*CBox_Lat);
    request.themeColumn = CBoxFNList->currentIndex();
    request.legend = Legend->Legend();
    request.lineWidth = CSpinEdtWidth->value();
    request.breakDistance = host_.Settings().BreakDistance();
    options_->Apply(request);
    return request;
}

void TFrmDT::Button6Click() {
    if (EdtDtFName->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请打开要导入的DT数据文本文件!"));
        return;
    }
    if (EdtFName2->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请选择输出的文件名！"));
        return;
    }
    if (GroupServing->isChecked()) {
        if (const std::optional<QString> missing = GroupServing->MissingChoice()) {
            dialogs_.Message(this, *missing);
            return;
        }
    }
    const QString path = EdtFName2->text();
    if (Convert()) {
        host_.FileWritten(path);
        dialogs_.Message(this, QStringLiteral("导出完成."));
    }
}

std::optional<ConversionSummary> TFrmDT::Convert() {
    std::unique_ptr<ServingAnalysis> analysis;
    LegendStatistics statistics;
    const QString statisticsPath = options_->StatisticsPath(EdtFName2->text());
    const auto convert = [&](const ConversionObserver& observer) {
        DtConversionRequest request = Request();
        if (GroupServing->isChecked()) {
            analysis = std::make_unique<ServingAnalysis>(GroupServing->ReadTable());
            request.serving = GroupServing->Options(analysis->cells, &analysis->report);
        }
        if (options_->WantsStatistics()) {
            request.statistics = &statistics;
        }
        const ConversionSummary summary = ConvertDtToKml(request, observer);
        if (request.statistics != nullptr) {
            ConversionOptionsGroup::ReportStatistics(statistics, statisticsPath, observer);
        }
        return summary;
    };
    // A grading bound that is no number, or a base-station table that cannot be read, stops
    // the conversion before it starts, so the box keeps what it showed.
    std::optional<ConversionSummary> summary =
        RunConversion(this, dialogs_, {CGauge2, Memo0, true}, convert);
    if (summary) {
        options_->Remember();
    }
    if (summary && analysis) {
        GroupServing->Remember();
        FrmServingReport->ShowReport(
            std::move(analysis), WithExtension(EdtFName2->text(), QStringLiteral("_小区统计.csv")));
    }
    return summary;
}

void TFrmDT::Button1Click() {
    hide();
}

}  // namespace orvane
