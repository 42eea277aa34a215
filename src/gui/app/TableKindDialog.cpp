#include "app/TableKindDialog.h"
#include "common/Named.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane {

TableKindDialog::TableKindDialog(const QString& path, QWidget* parent) : QDialog(parent) {
    setObjectName("TableKindDialog");
    setWindowTitle(QStringLiteral("打开表格"));
    auto* question =
        new QLabel(QStringLiteral("“%1”是哪一种表格？").arg(QFileInfo(path).fileName()), this);
    question->setToolTip(path);
    BaseStationChoice = Named<QRadioButton>("BaseStationChoice", QStringLiteral("基站表"), this);
    BaseStationChoice->setChecked(true);
    CqtChoice = Named<QRadioButton>("CqtChoice", QStringLiteral("CQT数据表"), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(BaseStationChoice);
    layout->addWidget(CqtChoice);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TableKind TableKindDialog::Chosen() const {
    return CqtChoice->isChecked() ? TableKind::Cqt : TableKind::BaseStation;
}

std::optional<TableKind> AskTableKind(QWidget* parent, const QString& path) {
    TableKindDialog dialog(path, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Chosen();
}

}  // namespace orvane
