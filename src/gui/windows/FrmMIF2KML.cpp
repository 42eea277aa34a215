#include "windows/FrmMIF2KML.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/DesktopHost.h"
#include "common/DesktopSettings.h"
#include "common/Errors.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "conversions/MidFile.h"
#include "conversions/Mif2kml.h"
#include "windows/WindowParts.h"

namespace orvane {

TFrmMIF2KML::TFrmMIF2KML(DesktopHost& host, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmMIF2KML");
    setWindowTitle(QStringLiteral("转换Mapinfo MIF 为KML格式 "));

    // The boxes only show the chosen paths: what the conversion uses is what the dialogs
    // chose, so typing into them is not offered.
    LabeledEdit1 = PathBox("LabeledEdit1", this);
    LabeledEdit1->setMinimumWidth(360);
    SpeedButton3 = PictureButton("SpeedButton3", QStyle::SP_DirOpenIcon, QString(), this);
    LabeledEdit2 = PathBox("LabeledEdit2", this);
    LabeledEdit2->setMinimumWidth(360);
    SpeedButton4 = PictureButton("SpeedButton4", QStyle::SP_DialogSaveButton, QString(), this);
    Button1 = Named<QPushButton>("Button1", QStringLiteral("转换输出"), this);
    Button2 = Named<QPushButton>("Button2", QStringLiteral("确定"), this);
    CBoxNameColumn = Named<QComboBox>("CBoxNameColumn", this);
    OnClick(SpeedButton3, this, dialogs_, &TFrmMIF2KML::SpeedButton3Click);
    OnClick(SpeedButton4, this, dialogs_, &TFrmMIF2KML::SpeedButton4Click);
    OnClick(Button1, this, dialogs_, &TFrmMIF2KML::Button1Click);
    OnClick(Button2, this, dialogs_, &TFrmMIF2KML::Button2Click);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("读入Mapinfo MIF 文件："), this), 0, 0);
    grid->addWidget(LabeledEdit1, 1, 0);
    grid->addWidget(SpeedButton3, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("输出KML 文件："), this), 2, 0);
    grid->addWidget(LabeledEdit2, 3, 0);
    grid->addWidget(SpeedButton4, 3, 1);
    auto* nameColumn = new QHBoxLayout;
    nameColumn->addWidget(new QLabel(QStringLiteral("名称字段（标准KML格式）："), this));
    nameColumn->addWidget(CBoxNameColumn, 1);
    grid->addLayout(nameColumn, 4, 0, 1, 2);
    auto* buttons = ButtonsAtRight({Button1, Button2});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFrmMIF2KML::SpeedButton3Click() {
    if (const std::optional<QString> path =
            dialogs_.OpenFile(this, {.filter = QStringLiteral("Mapinfo Mif File(*.MIF)|*.MIF"),
                                     .defaultSuffix = QStringLiteral("MIF")})) {
        OpenInputFile(*path);
    }
}

void TFrmMIF2KML::OpenInputFile(const QString& path) {
    MifFileName = path;
    LabeledEdit1->setText(MifFileName);
    ShowColumns();
}

// The columns the MIF declares, its first character column chosen; none for a file that
// cannot be read (the conversion reports that).
void TFrmMIF2KML::ShowColumns() {
    CBoxNameColumn->clear();
    std::vector<MifColumn> columns;
    try {
        columns = ReadMifHeader(QFile::encodeName(MifFileName).toStdString()).columns;
    } catch (const Error&) {
        return;
    }
    for (const MifColumn& column : columns) {
        CBoxNameColumn->addItem(QString::fromStdString(column.name));
    }
    const size_t chosen = DefaultNameColumn(columns);
    CBoxNameColumn->setCurrentIndex(chosen < columns.size() ? static_cast<int>(chosen) : -1);
}

void TFrmMIF2KML::SpeedButton4Click() {
    const FileDialogOptions options = KmlFileDialog();
    if (const std::optional<QString> path = dialogs_.SaveFile(this, options)) {
        KmlFileName = *path;
        LabeledEdit2->setText(KmlFileName);
    }
}

void TFrmMIF2KML::Button1Click() {
    MifConversionRequest request{.mifPath = QFile::encodeName(MifFileName).toStdString(),
                                 .outPath = QFile::encodeName(KmlFileName).toStdString(),
                                 .layout = host_.Settings().Layout(),
                                 .digits = host_.Settings().CoordinateDigits()};
    if (request.layout == KmlLayout::Standard) {
        request.nameColumn = CBoxNameColumn->currentText().toStdString();
    }
    const auto convert = [&request](const ConversionObserver& observer) {
        return ConvertMifToKml(request, observer);
    };
    if (RunConversion(this, dialogs_, {}, convert)) {
        dialogs_.Message(this, QStringLiteral("完成！"));
    }
}

void TFrmMIF2KML::Button2Click() {
    accept();
}

}  // namespace orvane
