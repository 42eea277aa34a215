#include "windows/WindowParts.h"

#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvane {

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QLabel* Caption(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QToolButton* PictureButton(const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                           QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    return button;
}

QLineEdit* PathBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

QPushButton* CommandButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QProgressBar* ProgressGauge(const QString& name, QWidget* parent) {
    auto* gauge = new QProgressBar(parent);
    gauge->setObjectName(name);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    QPalette blue = gauge->palette();
    blue.setColor(QPalette::Highlight, Qt::blue);
    gauge->setPalette(blue);
    return gauge;
}

QGroupBox* InformationBox(QPlainTextEdit*& memo, QWidget* parent) {
    auto* group = new QGroupBox(QStringLiteral("信息栏"), parent);
    group->setObjectName("GroupBox4");
    memo = new QPlainTextEdit(group);
    memo->setObjectName("Memo0");
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(memo);
    return group;
}

QLayout* ConverterColumn(std::initializer_list<QWidget*> rows, QGroupBox* information,
                         QPushButton* generate, QPushButton* close) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(generate);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout;
    for (QWidget* row : rows) {
        column->addWidget(row);
    }
    column->addWidget(information, 1);
    column->addLayout(buttons);
    return column;
}

void ColumnChoice::showPopup() {
    if (onDropDown) {
        onDropDown();
    }
    QComboBox::showPopup();
}

}  // namespace orvane
