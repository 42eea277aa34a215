#include "windows/FrmBS.h"

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
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/DesktopHost.h"
#include "common/DesktopSettings.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "common/WaitCursor.h"

namespace orvane {

namespace {

constexpr int kBeamwidthChoice = 4;
const QString kSeconds = QStringLiteral("秒");
const QString kMetres = QStringLiteral("米");

std::string Utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

TFrmBS::TFrmBS(DesktopHost& host, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmBS");
    setWindowTitle(QStringLiteral("基站表->KML"));
    setModal(false);

    Button5 = CommandButton(QStringLiteral("生成KML文件"), "Button5", this);
    Button1 = CommandButton(QStringLiteral("确定"), "Button1", this);
    OnClick(Button5, this, dialogs_, &TFrmBS::Button5Click);
    OnClick(Button1, this, dialogs_, &TFrmBS::Button1Click);

    GroupBox4 = InformationBox(Memo0, this);

    setLayout(ConverterColumn({CreateSourceRows(), CreateColumnChoices(), CreateOutputRows()},
                              GroupBox4, Button5, Button1));
    resize(460, 560);
}

TFrmBS::~TFrmBS() = default;

QWidget* TFrmBS::CreateSourceRows() {
    auto* rows = new QWidget(this);
    Label1 = Caption(QStringLiteral("基站Excel表："), "Label1", rows);
    EdtxlsFName = PathBox("EdtxlsFName", rows);
    SpeedButton2 = PictureButton("SpeedButton2", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("打开Excel文件"), rows);
    Label19 = Caption(QStringLiteral("工作表选择："), "Label19", rows);
    CbBoxSheet = Named<QComboBox>("CbBoxSheet", rows);
    OnClick(SpeedButton2, this, dialogs_, &TFrmBS::SpeedButton2Click);
    connect(CbBoxSheet, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, dialogs_, &TFrmBS::CbBoxSheetChange));

    auto* layout = new QGridLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(EdtxlsFName, 1, 0, 1, 2);
    layout->addWidget(SpeedButton2, 1, 2);
    layout->addWidget(Label19, 2, 0);
    layout->addWidget(CbBoxSheet, 2, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    return rows;
}

ColumnChoice* TFrmBS::AddColumnChoice(QGridLayout* layout, int row, const QString& caption,
                                      const QString& labelName, const QString& name,
                                      QLabel*& label) {
    label = Caption(caption, labelName, GroupBox2);
    auto* choice = new ColumnChoice(GroupBox2);
    choice->setObjectName(name);
    choice->setMinimumContentsLength(14);
    choice->onDropDown = [this, row] { FillChoice(row); };
    layout->addWidget(label, row, 0);
    layout->addWidget(choice, row, 1);
    return choice;
}

QGroupBox* TFrmBS::CreateColumnChoices() {
    GroupBox2 = Named<QGroupBox>("GroupBox2", QStringLiteral("字段选择："), this);
    auto* layout = new QGridLayout(GroupBox2);
    CBBox_Sitename = AddColumnChoice(layout, 0, QStringLiteral("SITE_NAME："), "Label4",
                                     "CBBox_Sitename", Label4);
    CBBox_Lon = AddColumnChoice(layout, 1, QStringLiteral("经度："), "Label6", "CBBox_Lon", Label6);
    CBBox_Lat = AddColumnChoice(layout, 2, QStringLiteral("纬度："), "Label7", "CBBox_Lat", Label7);
    CBBox_Direct =
        AddColumnChoice(layout, 3, QStringLiteral("方向角："), "Label11", "CBBox_Direct", Label11);
    CBBox_Beamwidth = AddColumnChoice(layout, kBeamwidthChoice, QStringLiteral("波束宽度："),
                                      "LabelBeamwidth", "CBBox_Beamwidth", LabelBeamwidth);
    CBBox_Beamwidth->setToolTip(
        QStringLiteral("可选：每个扇区按该列的度数（1～360）绘制；不选则均为45度"));
    layout->setColumnStretch(1, 1);
    return GroupBox2;
}

QWidget* TFrmBS::CreateOutputRows() {
    auto* rows = new QWidget(this);
    Label2 = Caption(QStringLiteral("扇区半径："), "Label2", rows);
    CSpinEdit1 = Named<QSpinBox>("CSpinEdit1", rows);
    CSpinEdit1->setRange(kMinSectorRadius, kMaxSectorRadius);
    CSpinEdit1->setValue(kDefaultSectorRadius);
    Label5 = Caption(QStringLiteral("单位：秒"), "Label5", rows);
    CBoxRadiusUnit = Named<QComboBox>("CBoxRadiusUnit", rows);
    CBoxRadiusUnit->addItems({kSeconds, kMetres});
    CBoxRadiusUnit->setToolTip(
        QStringLiteral("秒：经纬度方向相同的角秒偏移；米：地面距离，扇形保持真实形状"));
    connect(CBoxRadiusUnit, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, dialogs_, &TFrmBS::CBoxRadiusUnitChange));

    auto* radius = new QHBoxLayout;
    radius->addWidget(Label2);
    radius->addWidget(CSpinEdit1);
    radius->addWidget(Label5);
    radius->addWidget(CBoxRadiusUnit);
    radius->addStretch();
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(radius);
    AddOutputRows(layout, rows, {Label3, EdtFName1, SpeedButton1, SpeedButton7, CGauge1},
                  {"Label3", "EdtFName1", "SpeedButton1", "SpeedButton7", "CGauge1"});
    OnClick(SpeedButton1, this, dialogs_, &TFrmBS::SpeedButton1Click);
    OnClick(SpeedButton7, this, dialogs_, &TFrmBS::SpeedButton7Click);
    return rows;
}

void TFrmBS::SpeedButton2Click() {
    EdtxlsFName->clear();
    ChooseWorkbook(this, dialogs_, [this](const QString& path) { OpenInputFile(path); });
}

void TFrmBS::OpenInputFile(const QString& path) {
    const WaitCursor wait;
    {
        const QSignalBlocker quiet(CbBoxSheet);
        CbBoxSheet->clear();
    }
    // A file that cannot be read leaves the box empty and the workbook before open, so the
    // box never names a file beside another file's sheets.
    source_.OpenWorkbook(LocalPath(path));
    workbook_.Read(source_);
    EdtxlsFName->setText(path);
    ShowSheetNames(*CbBoxSheet, source_);
    PreselectUsualColumns(true);
    EdtFName1->setText(WithExtension(path, ".KML"));
}

void TFrmBS::PreselectUsualColumns(bool newWorkbook) {
    PreselectColumns(
        source_.columnEntries(),
        {{CBBox_Sitename,
          {"SITE_NAME", "SITENAME", "基站名称", "站名", "小区名称", "CELL_NAME", "名称"}},
         {CBBox_Lon, {"经度", "LON", "LONGITUDE", "LNG"}},
         {CBBox_Lat, {"纬度", "LAT", "LATITUDE"}},
         {CBBox_Direct, {"方向角", "方位角", "AZIMUTH", "DIRECTION"}},
         {CBBox_Beamwidth, {"波束宽度", "水平波瓣宽度", "BEAMWIDTH"}}},
        newWorkbook);
}

void TFrmBS::CbBoxSheetChange() {
    const int index = CbBoxSheet->currentIndex();
    if (index < 0) {
        return;
    }
    if (!ReportErrors(this, dialogs_, [this, index] { source_.SelectSheet(index); })) {
        // The sheet that stays current is shown as chosen.
        const QSignalBlocker quiet(CbBoxSheet);
        CbBoxSheet->setCurrentIndex(source_.currentSheet());
        return;
    }
    PreselectUsualColumns(false);
}

void TFrmBS::FillChoice(int opening) {
    const std::array<ColumnChoice*, 5> choices = {CBBox_Sitename, CBBox_Lon, CBBox_Lat,
                                                  CBBox_Direct, CBBox_Beamwidth};
    std::array<std::string, 4> shown;
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i] = Utf8(choices[i]->currentText());
    }
    std::vector<std::string> items =
        FillColumnChoices(source_.columnEntries(), shown, std::min(opening, 3));
    if (opening == kBeamwidthChoice) {
        // The fourth choice is not the one opening: its column goes too.
        std::erase(items, shown[3]);
    } else if (const std::string beamwidth = Utf8(CBBox_Beamwidth->currentText());
               !beamwidth.empty()) {
        std::erase(items, beamwidth);
    }
    ColumnChoice* choice = choices[static_cast<size_t>(opening)];
    choice->clear();
    if (opening == kBeamwidthChoice) {
        choice->addItem(QString());  // no beamwidth column
    }
    choice->addItems(FromUtf8(items));
    choice->setCurrentIndex(-1);
}

void TFrmBS::CBBox_SitenameDropDown() {
    FillChoice(0);
}

void TFrmBS::CBBox_LonDropDown() {
    FillChoice(1);
}

void TFrmBS::CBBox_LatDropDown() {
    FillChoice(2);
}

void TFrmBS::CBBox_DirectDropDown() {
    FillChoice(3);
}

void TFrmBS::CBBox_BeamwidthDropDown() {
    FillChoice(kBeamwidthChoice);
}

void TFrmBS::CBoxRadiusUnitChange() {
    const bool metres = CBoxRadiusUnit->currentIndex() == 1;
    // Each unit keeps its own radius, so switching back and forth loses nothing.
    if (metres) {
        secondsRadius_ = CSpinEdit1->value();
        CSpinEdit1->setRange(1, static_cast<int>(kMaxRadiusMetres));
        CSpinEdit1->setValue(metresRadius_);
    } else {
        metresRadius_ = CSpinEdit1->value();
        CSpinEdit1->setRange(kMinSectorRadius, kMaxSectorRadius);
        CSpinEdit1->setValue(secondsRadius_);
    }
    Label5->setText(QStringLiteral("单位：") + (metres ? kMetres : kSeconds));
}

void TFrmBS::SpeedButton1Click() {
    ChooseKmlOutput(this, dialogs_, *EdtFName1);
}

void TFrmBS::SpeedButton7Click() {
    ReportErrors(this, dialogs_, [this] { host_.ShowOnGlobe(EdtFName1->text()); });
}

BsConversionRequest TFrmBS::Request() const {
    BsConversionRequest request;
    request.source = &source_;
    const auto bind = [this](const QComboBox& choice, std::int32_t& column, std::string& entry) {
        entry = Utf8(choice.currentText());
        column = source_.ColumnOf(entry);
    };
    bind(*CBBox_Sitename, request.siteNameColumn, request.siteNameEntry);
    bind(*CBBox_Lon, request.lonColumn, request.lonEntry);
    bind(*CBBox_Lat, request.latColumn, request.latEntry);
    bind(*CBBox_Direct, request.azimuthColumn, request.azimuthEntry);
    // A beamwidth entry this sheet does not have counts as no choice.
    bind(*CBBox_Beamwidth, request.beamwidthColumn, request.beamwidthEntry);
    request.outPath = LocalPath(EdtFName1->text());
    request.layout = host_.Settings().Layout();
    request.digits = host_.Settings().CoordinateDigits();
    if (CBoxRadiusUnit->currentIndex() == 1) {
        request.radiusMetres = CSpinEdit1->value();
    } else {
        request.sectorRadius = CSpinEdit1->value();
    }
    return request;
}

void TFrmBS::Button5Click() {
    // The beamwidth, last, is the one choice not required.
    if (!workbook_.ReadyToConvert(
            this, dialogs_, source_, !EdtxlsFName->text().isEmpty(),
            {CBBox_Sitename, CBBox_Lon, CBBox_Lat, CBBox_Direct, CBBox_Beamwidth}, 4,
            *CbBoxSheet)) {
        return;
    }
    if (EdtFName1->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请选择输出的文件名！"));
        return;
    }
    Memo0->clear();
    const auto convert = [this](const ConversionObserver& observer) {
        return ConvertBsToKml(Request(), observer);
    };
    if (const auto summary = RunConversion(this, dialogs_, {CGauge1, Memo0}, convert)) {
        host_.FileWritten(EdtFName1->text());
        dialogs_.Message(this, QString::fromStdString(ImportedRowsMessage(*summary)));
    }
}

void TFrmBS::Button1Click() {
    hide();
}

}  // namespace orvane
