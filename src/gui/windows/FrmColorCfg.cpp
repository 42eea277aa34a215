#include "windows/FrmColorCfg.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "common/Dialogs.h"
#include "common/ErrorTexts.h"
#include "common/Errors.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"

namespace orvane {

TFrmColorCfg::TFrmColorCfg(QString colourFilePath, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), path_(std::move(colourFilePath)), dialogs_(dialogs) {
    setObjectName("FrmColorCfg");
    setWindowTitle("FrmColorCfg");
    Label1 = Named<QLabel>("Label1", QString::fromUtf8("色彩配置名称：　"), this);
    EdtColorName = Named<QLineEdit>("EdtColorName", this);
    Label2 = Named<QLabel>("Label2", QString::fromUtf8("已有色彩方案："), this);
    ListBox1 = Named<QListWidget>("ListBox1", this);
    Button1 = Named<QPushButton>("Button1", QString::fromUtf8("确定"), this);
    Button1->setDefault(true);
    Button2 = Named<QPushButton>("Button2", QString::fromUtf8("取消"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(EdtColorName, 0, 1, 1, 2);
    layout->addWidget(Label2, 1, 0, 1, 3);
    layout->addWidget(ListBox1, 2, 0, 1, 3);
    layout->addWidget(Button1, 3, 1);
    layout->addWidget(Button2, 3, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ListBox1, &QListWidget::itemClicked, this,
            Guarded(this, dialogs_, &TFrmColorCfg::ListBox1Click));
    OnClick(Button1, this, dialogs_, &TFrmColorCfg::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFrmColorCfg::SchemeName() const {
    return EdtColorName->text();
}

int TFrmColorCfg::exec() {
    Button1->setText(QString::fromUtf8(mode_ == Mode::Load ? "确定" : "保存"));
    return QDialog::exec();
}

void TFrmColorCfg::ListBox1Click(QListWidgetItem* item) {
    if (item != nullptr) {
        EdtColorName->setText(item->text());
    }
}

void TFrmColorCfg::Button1Click() {
    if (!EdtColorName->text().isEmpty()) {
        accept();
    }
}

bool TFrmColorCfg::FileExists() const {
    return QFileInfo::exists(path_);
}

bool TFrmColorCfg::FillList(QWidget* owner) {
    try {
        const std::vector<std::string> names = ListSchemeNames(path_.toStdString());
        ListBox1->clear();
        ListBox1->addItems(FromUtf8(names));
        return true;
    } catch (const Error& error) {
        dialogs_.ErrorBox(owner, DesktopErrorText(error));
        return false;
    }
}

bool TFrmColorCfg::ShowCentredOn(QWidget* owner) {
    if (owner != nullptr) {
        adjustSize();
        move(owner->window()->frameGeometry().center() - rect().center());
    }
    return exec() == QDialog::Accepted;
}

bool TFrmColorCfg::N1Click(QWidget* owner, std::vector<LegendEntry>& rows) {
    SetMode(Mode::Load);
    if (FileExists()) {
        EdtColorName->clear();
        if (!FillList(owner)) {
            return false;
        }
    }
    if (!ShowCentredOn(owner)) {
        return false;
    }
    try {
        std::vector<LegendEntry> loaded = rows;
        if (!LoadScheme(path_.toStdString(), SchemeName().toStdString(), loaded)) {
            return false;
        }
        rows = std::move(loaded);
        return true;
    } catch (const Error& error) {
        dialogs_.ErrorBox(owner, DesktopErrorText(error));
        return false;
    }
}

bool TFrmColorCfg::N2Click(QWidget* owner, const QString& themeName,
                           const std::vector<LegendEntry>& rows, SchemeLayout layout) {
    SetMode(Mode::Save);
    EdtColorName->setText(themeName);
    if (FileExists() && !FillList(owner)) {
        return false;
    }
    if (!ShowCentredOn(owner)) {
        return false;
    }
    try {
        SaveScheme(path_.toStdString(), {SchemeName().toStdString(), rows}, layout);
    } catch (const Error& error) {
        dialogs_.ErrorBox(owner, DesktopErrorText(error));
        return false;
    }
    dialogs_.Message(owner, QString::fromUtf8("保存完毕!"));
    return true;
}

}  // namespace orvane
