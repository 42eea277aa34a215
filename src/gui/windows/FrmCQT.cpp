#include "windows/FrmCQT.h"

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
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <string>

#include "common/DesktopHost.h"
#include "common/DesktopSettings.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "common/WaitCursor.h"
#include "windows/ConversionOptions.h"
#include "windows/LegendPanel.h"

namespace orvane {

TFrmCQT::TFrmCQT(DesktopHost& host, Dialogs& dialogs, TFrmColorCfg& colorCfg, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmCQT");
    setWindowTitle(QStringLiteral("CQT数据->KML"));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Legend = new LegendPanel(LegendWindow::Cqt, dialogs, colorCfg, this);
    Legend->setObjectName("Legend");
    Button7 = CommandButton(QStringLiteral("生成KML文件"), "Button7", this);
    Button1 = CommandButton(QStringLiteral("确定"), "Button1", this);
    OnClick(Button7, this, dialogs_, &TFrmCQT::Button7Click);
    OnClick(Button1, this, dialogs_, &TFrmCQT::Button1Click);

    QWidget* source = CreateSourceRows();
    QWidget* output = CreateOutputRows();
    options_ = new ConversionOptionsGroup(LegendWindow::Cqt, dialogs_, this);
    Legend->AttachWindowControls(Button7, CBBox_Theme);

    GroupBox4 = InformationBox(Memo0, this);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(ConverterColumn({source, output, options_}, GroupBox4, Button7, Button1), 1);
    layout->addWidget(Legend);
    resize(860, 600);
}

TFrmCQT::~TFrmCQT() = default;

ColumnChoice* TFrmCQT::CreateColumnChoice(const QString& name, QWidget* parent) {
    auto* choice = new ColumnChoice(parent);
    choice->setObjectName(name);
    choice->setMinimumContentsLength(14);
    choice->onDropDown = [this, choice] { ColumnChoiceDropDown(choice); };
    return choice;
}

QWidget* TFrmCQT::CreateSourceRows() {
    auto* rows = new QWidget(this);
    Label13 = Caption(QStringLiteral("CQT Excel表："), "Label13", rows);
    EdtCQTFName = PathBox("EdtCQTFName", rows);
    SpeedButton9 = PictureButton("SpeedButton9", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("打开Excel文件"), rows);
    Label20 = Caption(QStringLiteral("工作表选择："), "Label20", rows);
    CbBoxSheet1 = Named<QComboBox>("CbBoxSheet1", rows);

    GroupBox6 = Named<QGroupBox>("GroupBox6", QStringLiteral("字段选择："), rows);
    Label17 = Caption(QStringLiteral("标识名称:"), "Label17", GroupBox6);
    CBBox_Name1 = CreateColumnChoice("CBBox_Name1", GroupBox6);
    Label14 = Caption(QStringLiteral("经度:"), "Label14", GroupBox6);
    CBBox_Lon1 = CreateColumnChoice("CBBox_Lon1", GroupBox6);
    Label15 = Caption(QStringLiteral("纬度:"), "Label15", GroupBox6);
    CBBox_Lat1 = CreateColumnChoice("CBBox_Lat1", GroupBox6);
    auto* fields = new QGridLayout(GroupBox6);
    fields->addWidget(Label17, 0, 0);
    fields->addWidget(CBBox_Name1, 0, 1);
    fields->addWidget(Label14, 1, 0);
    fields->addWidget(CBBox_Lon1, 1, 1);
    fields->addWidget(Label15, 2, 0);
    fields->addWidget(CBBox_Lat1, 2, 1);
    fields->setColumnStretch(1, 1);

    Label16 = Caption(QStringLiteral("选择专题字段："), "Label16", rows);
    CBBox_Theme = CreateColumnChoice("CBBox_Theme", rows);

    OnClick(SpeedButton9, this, dialogs_, &TFrmCQT::SpeedButton9Click);
    // Only a user's pick counts as a change; refilling the lists does not.
    connect(CbBoxSheet1, qOverload<int>(&QComboBox::activated), this,
            Guarded(this, dialogs_, &TFrmCQT::CbBoxSheet1Change));
    connect(CBBox_Theme, qOverload<int>(&QComboBox::activated), this,
            Guarded(this, dialogs_, &TFrmCQT::CBBox_ThemeChange));

    auto* layout = new QGridLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label13, 0, 0, 1, 3);
    layout->addWidget(EdtCQTFName, 1, 0, 1, 2);
    layout->addWidget(SpeedButton9, 1, 2);
    layout->addWidget(Label20, 2, 0);
    layout->addWidget(CbBoxSheet1, 2, 1);
    layout->addWidget(GroupBox6, 3, 0, 1, 3);
    layout->addWidget(Label16, 4, 0);
    layout->addWidget(CBBox_Theme, 4, 1);
    layout->setColumnStretch(1, 1);
    return rows;
}

QWidget* TFrmCQT::CreateOutputRows() {
    auto* rows = new QWidget(this);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    AddOutputRows(layout, rows, {Label18, EdtFName3, SpeedButton10, SpeedButton11, CGauge3},
                  {"Label18", "EdtFName3", "SpeedButton10", "SpeedButton11", "CGauge3"});
    EdtFName3->setReadOnly(false);  // a path may be typed as well as chosen
    OnClick(SpeedButton10, this, dialogs_, &TFrmCQT::SpeedButton10Click);
    OnClick(SpeedButton11, this, dialogs_, &TFrmCQT::SpeedButton11Click);
    return rows;
}

std::array<ColumnChoice*, 4> TFrmCQT::ColumnChoices() const {
    return {CBBox_Name1, CBBox_Lon1, CBBox_Lat1, CBBox_Theme};
}

void TFrmCQT::SpeedButton9Click() {
    ChooseWorkbook(this, dialogs_, [this](const QString& path) { OpenInputFile(path); });
}

void TFrmCQT::OpenInputFile(const QString& path) {
    {
        // A file that cannot be read leaves the workbook, the file box and the sheets as
        // they were.
        const WaitCursor wait;
        source_.OpenWorkbook(LocalPath(path));
        workbook_.Read(source_);
    }
    EdtCQTFName->setText(path);
    ShowSheetNames(*CbBoxSheet1, source_);
    PreselectUsualColumns(true);
    EdtFName3->setText(WithExtension(path, ".KML"));
}

void TFrmCQT::PreselectUsualColumns(bool newWorkbook) {
    // The theme field is the user's to choose: choosing it scans the column.
    PreselectColumns(source_.columnEntries(),
                     {{CBBox_Name1, {"标识名称", "名称", "NAME", "测试点", "地点"}},
                      {CBBox_Lon1, {"经度", "LON", "LONGITUDE", "LNG"}},
                      {CBBox_Lat1, {"纬度", "LAT", "LATITUDE"}}},
                     newWorkbook);
}

void TFrmCQT::CbBoxSheet1Change() {
    const int chosen = CbBoxSheet1->currentIndex();
    // The choice shows the sheet in use until the chosen one has been read, so that a sheet
    // that cannot be read leaves the one before shown.
    const QSignalBlocker quiet(CbBoxSheet1);
    CbBoxSheet1->setCurrentIndex(source_.currentSheet());
    if (ReportErrors(this, dialogs_, [this, chosen] { source_.SelectSheet(chosen); })) {
        CbBoxSheet1->setCurrentIndex(chosen);
        PreselectUsualColumns(false);
    }
}

void TFrmCQT::ColumnChoiceDropDown(ColumnChoice* opening) {
    const std::array<ColumnChoice*, 4> choices = ColumnChoices();
    std::array<std::string, 4> shown;
    int openingIndex = -1;
    for (size_t i = 0; i < choices.size(); ++i) {
        shown[i] = choices[i]->currentText().toStdString();
        if (choices[i] == opening) {
            openingIndex = static_cast<int>(i);
        }
    }
    const std::vector<std::string> items =
        FillColumnChoices(source_.columnEntries(), shown, openingIndex);
    const QSignalBlocker quiet(opening);
    opening->clear();
    opening->addItems(FromUtf8(items));
    opening->setCurrentIndex(-1);
}

void TFrmCQT::CBBox_ThemeChange() {
    const std::int32_t column = ColumnOf(*CBBox_Theme);
    Legend->ChooseThemeField([this, column] { return ScanCqtThemeColumn(source_, column); });
}

void TFrmCQT::SpeedButton10Click() {
    ChooseKmlOutput(this, dialogs_, *EdtFName3);
}

void TFrmCQT::SpeedButton11Click() {
    // Unlike the other windows' view buttons, this one leaves the view where it is
    // (embedded or not).
    ReportErrors(this, dialogs_, [this] { host_.ShowOnGlobeAsItStands(EdtFName3->text()); });
}

std::int32_t TFrmCQT::ColumnOf(const QComboBox& choice) const {
    return source_.ColumnOf(choice.currentText().toStdString());
}

CqtConversionRequest TFrmCQT::Request() const {
    CqtConversionRequest request;
    request.source = &source_;
    request.nameColumn = ColumnOf(*CBBox_Name1);
    request.lonColumn = ColumnOf(*CBBox_Lon1);
    request.latColumn = ColumnOf(*CBBox_Lat1);
    request.themeColumn = ColumnOf(*CBBox_Theme);
    request.outPath = LocalPath(EdtFName3->text());
    request.layout = host_.Settings().Layout();
    request.digits = host_.Settings().CoordinateDigits();
    request.legend = Legend->Legend();
    options_->Apply(request);
    return request;
}

void TFrmCQT::Button7Click() {
    const std::array<ColumnChoice*, 4> choices = ColumnChoices();
    if (!workbook_.ReadyToConvert(this, dialogs_, source_, !EdtCQTFName->text().isEmpty(),
                                  {choices.begin(), choices.end()}, choices.size(), *CbBoxSheet1)) {
        return;
    }
    if (EdtFName3->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请选择输出的文件名！"));
        return;
    }
    const QString path = EdtFName3->text();
    LegendStatistics statistics;
    const QString statisticsPath = options_->StatisticsPath(path);
    const auto convert = [&](const ConversionObserver& observer) {
        CqtConversionRequest request = Request();
        if (options_->WantsStatistics()) {
            request.statistics = &statistics;
        }
        const ConversionSummary summary = ConvertCqtToKml(request, observer);
        if (request.statistics != nullptr) {
            ConversionOptionsGroup::ReportStatistics(statistics, statisticsPath, observer);
        }
        return summary;
    };
    // A grading bound that is no number stops the conversion before it starts, so the box
    // keeps what it showed.
    if (const auto summary = RunConversion(this, dialogs_, {CGauge3, Memo0, true}, convert)) {
        options_->Remember();
        host_.FileWritten(path);
        dialogs_.Message(this, FromUtf8(ImportedRowsMessage(*summary)));
    }
}

void TFrmCQT::Button1Click() {
    hide();
}

}  // namespace orvane
