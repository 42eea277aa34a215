#include "app/Sysoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/DesktopSettings.h"
#include "common/Named.h"
#include "windows/WindowParts.h"

namespace orvane {

TFrmSysOptions::TFrmSysOptions(DesktopSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName("FrmSysOptions");
    setWindowTitle(QStringLiteral("系统参数"));

    auto* group = new QGroupBox(QStringLiteral("DT路径断开距离"), this);
    auto* label = new QLabel(QStringLiteral("默认断开距离："), group);
    CSpinEdit1 = Named<QSpinBox>("CSpinEdit1", group);
    CSpinEdit1->setRange(kMinBreakDistance, kMaxBreakDistance);
    auto* unit = new QLabel(QStringLiteral("米"), group);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(label);
    groupLayout->addWidget(CSpinEdit1);
    groupLayout->addWidget(unit);
    groupLayout->addStretch();

    CBoxStandardKml =
        Named<QCheckBox>("CBoxStandardKml", QStringLiteral("标准KML格式（适用于GIS软件）"), this);

    // Item i rounds to i decimals; item 0 keeps coordinates as they are.
    CBoxDigits = Named<QComboBox>("CBoxDigits", this);
    CBoxDigits->addItem(QStringLiteral("不变"));
    for (int digits = 1; digits <= kMaxCoordinateDigits; ++digits) {
        CBoxDigits->addItem(QString::number(digits));
    }
    auto* digits = new QHBoxLayout;
    digits->addWidget(new QLabel(QStringLiteral("坐标小数位数："), this));
    digits->addWidget(CBoxDigits);
    digits->addStretch();

    BtnOK = Named<QPushButton>("BtnOK", QStringLiteral("确定"), this);
    BtnOK->setDefault(true);
    BtnCancel = Named<QPushButton>("BtnCancel", QStringLiteral("取消"), this);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = ButtonsAtRight({BtnOK, BtnCancel});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(CBoxStandardKml);
    layout->addLayout(digits);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ShowSettings();
}

void TFrmSysOptions::ShowSettings() {
    CSpinEdit1->setValue(settings_.BreakDistance());
    CBoxStandardKml->setChecked(settings_.Layout() == KmlLayout::Standard);
    CBoxDigits->setCurrentIndex(settings_.CoordinateDigits());
}

void TFrmSysOptions::showEvent(QShowEvent* event) {
    ShowSettings();
    QDialog::showEvent(event);
}

void TFrmSysOptions::done(int result) {
    if (result == QDialog::Accepted) {
        settings_.SetBreakDistance(CSpinEdit1->value());
        settings_.SetLayout(CBoxStandardKml->isChecked() ? KmlLayout::Standard : KmlLayout::Fixed);
        settings_.SetCoordinateDigits(CBoxDigits->currentIndex());
    } else {
        ShowSettings();
    }
    QDialog::done(result);
}

}  // namespace orvane
