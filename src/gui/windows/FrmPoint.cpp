#include "windows/FrmPoint.h"

#include <QButtonGroup>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "common/DesktopHost.h"
#include "common/DesktopSettings.h"
#include "common/Kml_baseclass.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

QPlainTextEdit* TextBox(QWidget* parent, const QString& name) {
    auto* box = Named<QPlainTextEdit>(name, parent);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

QGroupBox* GroupAround(QWidget* inner, const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    inner->setParent(group);
    layout->addWidget(inner);
    return group;
}

QString DemoLine(const TFrmPoint::DemoPoint& point, CoordinateFormat format) {
    const QString longitude = QString::fromStdString(FormatNumber(point.longitude));
    const QString latitude = QString::fromStdString(FormatNumber(point.latitude));
    switch (format) {
        case CoordinateFormat::LatitudeLongitude:
            return latitude + ',' + longitude;
        case CoordinateFormat::LongitudeLatitude:
            return longitude + ',' + latitude;
        case CoordinateFormat::LongitudeSpaceLatitude:
            return longitude + ' ' + latitude;
    }
    return {};
}

}  // namespace

TFrmPoint::TFrmPoint(DesktopHost& host, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmPoint");
    setWindowTitle(QStringLiteral("离散点数据->KML"));
    setModal(false);

    MemoDemo = TextBox(this, "MemoDemo");
    MemoDemo->setReadOnly(true);
    MemoDemo->setFixedHeight(80);
    Memo1 = TextBox(this, "Memo1");
    Memo0 = TextBox(this, "Memo0");
    Memo0->setReadOnly(true);
    Memo0->setFixedHeight(60);

    Button2 = Named<QPushButton>("Button2", QStringLiteral("生成＜点＞KML文件"), this);
    Button3 = Named<QPushButton>("Button3", QStringLiteral("生成＜线＞KML文件"), this);
    Button4 = Named<QPushButton>("Button4", QStringLiteral("生成＜面＞KML文件"), this);
    OnClick(Button2, this, dialogs_, &TFrmPoint::Button2Click);
    OnClick(Button3, this, dialogs_, &TFrmPoint::Button3Click);
    OnClick(Button4, this, dialogs_, &TFrmPoint::Button4Click);
    auto* writeButtons = new QHBoxLayout;
    writeButtons->addWidget(Button2);
    writeButtons->addWidget(Button3);
    writeButtons->addWidget(Button4);

    Button1 = CommandButton(QStringLiteral("确定"), "Button1", this);
    OnClick(Button1, this, dialogs_, &TFrmPoint::Button1Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateFormatGroup());
    layout->addWidget(GroupAround(MemoDemo, QStringLiteral("例如："), this));
    layout->addWidget(GroupAround(Memo1, QStringLiteral("要转换的经纬度坐标串："), this), 1);
    layout->addLayout(writeButtons);
    layout->addWidget(CreateOutputRow());
    layout->addWidget(GroupAround(Memo0, QStringLiteral("信息栏"), this));
    layout->addWidget(Button1, 0, Qt::AlignRight);
    setFixedSize(480, 580);
    RadioGroup1Click();
}

QWidget* TFrmPoint::CreateFormatGroup() {
    RadioGroup1 = Named<QGroupBox>("RadioGroup1", QStringLiteral("坐标格式"), this);
    RadioButtons = Named<QButtonGroup>("RadioButtons", RadioGroup1);
    auto* layout = new QHBoxLayout(RadioGroup1);
    const QStringList items = {QStringLiteral("纬度，经度"), QStringLiteral("经度，纬度"),
                               QStringLiteral("经度 纬度")};
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], RadioGroup1);
        RadioButtons->addButton(radio, i);
        layout->addWidget(radio);
    }
    RadioButtons->button(0)->setChecked(true);
    connect(RadioButtons, &QButtonGroup::idClicked, this,
            Guarded(this, dialogs_, &TFrmPoint::RadioGroup1Click));
    return RadioGroup1;
}

QWidget* TFrmPoint::CreateOutputRow() {
    auto* row = new QWidget(this);
    Label2 = Caption(QStringLiteral("KML文件输出："), "Label2", row);
    EdtFName0 = PathBox("EdtFName0", row);
    SpeedButton5 = PictureButton("SpeedButton5", QStyle::SP_DialogSaveButton,
                                 QStringLiteral("选择输出的KML文件"), row);
    SpeedButton8 =
        PictureButton("SpeedButton8", QStyle::SP_ArrowRight, QStringLiteral("在地球上查看"), row);
    OnClick(SpeedButton5, this, dialogs_, &TFrmPoint::SpeedButton5Click);
    OnClick(SpeedButton8, this, dialogs_, &TFrmPoint::SpeedButton8Click);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label2);
    layout->addWidget(EdtFName0, 1);
    layout->addWidget(SpeedButton5);
    layout->addWidget(SpeedButton8);
    return row;
}

CoordinateFormat TFrmPoint::SelectedFormat() const {
    return static_cast<CoordinateFormat>(RadioButtons->checkedId());
}

QStringList TFrmPoint::InputLines() const {
    const QString text = Memo1->toPlainText();
    if (text.isEmpty()) {
        return {};
    }
    QStringList lines = text.split('\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

void TFrmPoint::RadioGroup1Click() {
    QStringList lines;
    for (const DemoPoint& point : DemoPoints) {
        lines << DemoLine(point, SelectedFormat());
    }
    MemoDemo->setPlainText(lines.join('\n'));
}

void TFrmPoint::WriteFile(PtGeometry geometry) {
    const QString path = EdtFName0->text();
    if (path.isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请选择输出的文件名！"));
        return;
    }
    const QStringList lines = InputLines();
    if (lines.isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请填入要转换的坐标串！"));
        return;
    }
    std::vector<std::string> texts;
    texts.reserve(lines.size());
    for (const QString& line : lines) {
        texts.push_back(line.toStdString());
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    PtConversionRequest request;
    request.lines = views;
    request.format = SelectedFormat();
    request.geometry = geometry;
    request.outPath = QFile::encodeName(path).toStdString();
    request.layout = host_.Settings().Layout();
    request.digits = host_.Settings().CoordinateDigits();
    const auto convert = [&request](const ConversionObserver& observer) {
        return ConvertPtToKml(request, observer);
    };
    if (RunConversion(this, dialogs_, {}, convert)) {
        host_.FileWritten(path);
        dialogs_.Message(this, QStringLiteral("完成！"));
    }
}

void TFrmPoint::Button2Click() {
    WriteFile(PtGeometry::Point);
}

void TFrmPoint::Button3Click() {
    WriteFile(PtGeometry::Line);
}

void TFrmPoint::Button4Click() {
    WriteFile(PtGeometry::Polygon);
}

void TFrmPoint::SpeedButton5Click() {
    ChooseKmlOutput(this, dialogs_, *EdtFName0);
}

void TFrmPoint::SpeedButton8Click() {
    ReportErrors(this, dialogs_, [this] { host_.ShowOnGlobe(EdtFName0->text()); });
}

void TFrmPoint::Button1Click() {
    hide();
}

}  // namespace orvane
