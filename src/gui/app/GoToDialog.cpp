#include "app/GoToDialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "common/Named.h"
#include "earth/FeaturePainter.h"

namespace orvane {

namespace {
const QString kHint = QStringLiteral("输入“经度,纬度”或名称（基站、小区、测试点），回车前往");
}  // namespace

GoToDialog::GoToDialog(QWidget* parent, Actions actions)
    : QDialog(parent), actions_(std::move(actions)) {
    setObjectName("GoToDialog");
    setWindowTitle(QStringLiteral("定位"));
    field_ = Named<QLineEdit>("GoToField", this);
    field_->setPlaceholderText(QStringLiteral("113.25,23.10 或 113°15'E 23°6'N 或 名称"));
    matches_ = Named<QListWidget>("GoToMatches", this);
    hint_ = Named<QLabel>("GoToHint", kHint, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(matches_);
    layout->addWidget(hint_);
    resize(420, 320);
    connect(field_, &QLineEdit::textChanged, this, &GoToDialog::TextChanged);
    connect(field_, &QLineEdit::returnPressed, this, &GoToDialog::Go);
    connect(matches_, &QListWidget::itemActivated, this, &GoToDialog::Go);
}

void GoToDialog::TextChanged(const QString& text) {
    matches_->clear();
    found_.clear();
    position_ = ParsePositionText(text.toStdString());
    if (position_) {
        matches_->addItem(QStringLiteral("经度 %1，纬度 %2")
                              .arg(position_->longitude, 0, 'f', 6)
                              .arg(position_->latitude, 0, 'f', 6));
    } else {
        found_ = actions_.find(text);
        for (const PlacemarkMatch& match : found_) {
            // A folder reads as a path does, with a slash after its name.
            const QString name = LabelText(match.name) + (match.folder >= 0 ? "/" : "");
            matches_->addItem(
                QStringLiteral("%1  —  %2").arg(name, QFileInfo(match.path).fileName()));
        }
    }
    if (matches_->count() > 0) {
        matches_->setCurrentRow(0);
    }
    hint_->setText(text.trimmed().isEmpty() || matches_->count() > 0 ? kHint
                                                                     : QStringLiteral("未找到"));
}

void GoToDialog::Go() {
    if (position_) {
        actions_.flyTo(*position_);
        return;
    }
    const int row = std::max(0, matches_->currentRow());
    if (row < found_.size()) {
        actions_.show(found_[row]);
    }
}

}  // namespace orvane
