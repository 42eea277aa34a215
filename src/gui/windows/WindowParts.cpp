#include "windows/WindowParts.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>

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

ProgressReset::~ProgressReset() {
    bar_.setValue(0);
}

void ColumnChoice::showPopup() {
    if (onDropDown) {
        onDropDown();
    }
    QComboBox::showPopup();
}

}  // namespace orvane
