#include "windows/FrmGPS.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "common/WaitCursor.h"
#include "windows/FrmDT.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

// Selects the name the box showed before, in any letter case, when the new names have it;
// otherwise the detected column (none when the header is shorter).
void SelectKeptOrDetected(QComboBox& box, const QString& before, std::int32_t detected) {
    const int kept = before.isEmpty() ? -1 : box.findText(before, Qt::MatchFixedString);
    box.setCurrentIndex(kept >= 0 ? kept : detected);
}

}  // namespace

TFrmGPS::TFrmGPS(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName("FrmGPS");
    setWindowTitle(QStringLiteral("FrmGPS"));

    Button3 = Named<QPushButton>("Button3", QStringLiteral("确定"), this);
    Button3->setDefault(true);
    Button1 = Named<QPushButton>("Button1", QStringLiteral("取消"), this);
    Button1->setAutoDefault(false);
    OnClick(Button3, this, dialogs_, &TFrmGPS::Button3Click);
    OnClick(Button1, this, dialogs_, &TFrmGPS::Button1Click);

    auto* buttons = ButtonsAtRight({Button3, Button1});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 8);
    layout->setSpacing(4);
    layout->addWidget(CreateFileRows());
    layout->addWidget(CreateColumnGroup());
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(498, 199);
}

QWidget* TFrmGPS::CreateFileRows() {
    auto* rows = new QWidget(this);
    Label1 = Caption(QStringLiteral("DT数据文件（*.TXT）："), "Label1", rows);
    EdtDtFName = PathBox("EdtDtFName", rows);
    SpeedButton3 = PictureButton("SpeedButton3", QStyle::SP_DirOpenIcon, kDtLogTitle, rows);
    Label2 = Caption(QStringLiteral("KML文件（*.KML）"), "Label2", rows);
    EdtKmlFName = PathBox("EdtKmlFName", rows);
    SpeedButton1 =
        PictureButton("SpeedButton1", QStyle::SP_DirOpenIcon, QStringLiteral("打开KML文件"), rows);
    OnClick(SpeedButton3, this, dialogs_, &TFrmGPS::SpeedButton3Click);
    OnClick(SpeedButton1, this, dialogs_, &TFrmGPS::SpeedButton1Click);

    auto* layout = new QGridLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(EdtDtFName, 1, 0);
    layout->addWidget(SpeedButton3, 1, 1);
    layout->addWidget(Label2, 2, 0, 1, 2);
    layout->addWidget(EdtKmlFName, 3, 0);
    layout->addWidget(SpeedButton1, 3, 1);
    layout->setColumnStretch(0, 1);
    return rows;
}

QGroupBox* TFrmGPS::CreateColumnGroup() {
    GroupBox1 = Named<QGroupBox>("GroupBox1", QStringLiteral("选择经纬度所在列："), this);
    Label3 = Caption(QStringLiteral("经度："), "Label3", GroupBox1);
    CBox_Long = FieldBox("CBox_Long", true, GroupBox1);
    Label4 = Caption(QStringLiteral("纬度："), "Label4", GroupBox1);
    CBox_Lat = FieldBox("CBox_Lat", true, GroupBox1);

    auto* layout = new QHBoxLayout(GroupBox1);
    layout->setContentsMargins(8, 2, 8, 4);
    layout->addWidget(Label3);
    layout->addWidget(CBox_Long, 1);
    layout->addSpacing(16);
    layout->addWidget(Label4);
    layout->addWidget(CBox_Lat, 1);
    return GroupBox1;
}

void TFrmGPS::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred = frameGeometry();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    QDialog::showEvent(event);
}

void TFrmGPS::done(int result) {
    QDialog::done(result);
    detected_ = choice_.columns;
}

void TFrmGPS::SpeedButton3Click() {
    const std::optional<QString> path = AskForFile(this, dialogs_, kDtLogTitle, kDtLogFilter);
    if (!path) {
        return;
    }
    EdtDtFName->setText(*path);
    EdtKmlFName->setText(WithExtension(*path, ".kml"));
    const QString longitude = CBox_Long->currentText();
    const QString latitude = CBox_Lat->currentText();

    std::vector<std::string> names;
    const auto readHeader = [&names, &path] {
        const WaitCursor wait;
        names = ReadPlaybackHeader(QFile::encodeName(*path).toStdString());
    };
    if (!ReportErrors(this, dialogs_, readHeader)) {
        return;
    }
    const QStringList items = FromUtf8(names);
    for (QComboBox* box : {CBox_Long, CBox_Lat}) {
        box->clear();
        box->addItems(items);
    }
    detected_ = DetectPlaybackColumns(names, detected_);
    SelectKeptOrDetected(*CBox_Long, longitude, detected_.longitude);
    SelectKeptOrDetected(*CBox_Lat, latitude, detected_.latitude);
}

void TFrmGPS::SpeedButton1Click() {
    if (const std::optional<QString> path =
            AskForFile(this, dialogs_, QStringLiteral("打开KML文件"),
                       QStringLiteral("文本文件(*.kml)|*.kml"))) {
        EdtKmlFName->setText(*path);
    }
}

void TFrmGPS::Button3Click() {
    if (EdtDtFName->text().isEmpty() || EdtKmlFName->text().isEmpty()) {
        dialogs_.Message(this, QStringLiteral("请选择相关文件."));
        return;
    }
    if (!QFileInfo(EdtKmlFName->text()).isFile()) {
        dialogs_.Message(this, QStringLiteral("没有相关KML文件."));
        return;
    }
    choice_ = {
        EdtDtFName->text(), EdtKmlFName->text(), {ChosenField(*CBox_Long), ChosenField(*CBox_Lat)}};
    accept();
}

void TFrmGPS::Button1Click() {
    reject();
}

}  // namespace orvane
