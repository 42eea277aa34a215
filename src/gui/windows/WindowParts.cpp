#include "windows/WindowParts.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Dialogs.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

QString WithExtension(const QString& path, const QString& extension) {
    const int slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const int dot = path.lastIndexOf('.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QLabel* Caption(const QString& text, const QString& name, QWidget* parent) {
    auto* label = Named<QLabel>(name, text, parent);
    return label;
}

QToolButton* PictureButton(const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                           QWidget* parent) {
    auto* button = Named<QToolButton>(name, parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    return button;
}

QLineEdit* PathBox(const QString& name, QWidget* parent) {
    auto* box = Named<QLineEdit>(name, parent);
    box->setReadOnly(true);
    return box;
}

QComboBox* FieldBox(const QString& name, bool editable, QWidget* parent) {
    auto* box = Named<QComboBox>(name, parent);
    box->setEditable(editable);
    if (editable) {
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    box->setMinimumContentsLength(12);
    return box;
}

int ChosenField(const QComboBox& box) {
    const QString text = box.currentText();
    const int exact = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return exact >= 0 ? exact : box.findText(text, Qt::MatchFixedString);
}

QPushButton* CommandButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = Named<QPushButton>(name, text, parent);
    button->setAutoDefault(false);
    return button;
}

QProgressBar* ProgressGauge(const QString& name, QWidget* parent) {
    auto* gauge = Named<QProgressBar>(name, parent);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    QPalette blue = gauge->palette();
    blue.setColor(QPalette::Highlight, Qt::blue);
    gauge->setPalette(blue);
    return gauge;
}

QGroupBox* InformationBox(QPlainTextEdit*& memo, QWidget* parent) {
    auto* group = Named<QGroupBox>("GroupBox4", QStringLiteral("信息栏"), parent);
    memo = Named<QPlainTextEdit>("Memo0", group);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(memo);
    return group;
}

void AddOutputRows(QVBoxLayout* layout, QWidget* parent, const OutputControls& controls,
                   const std::array<const char*, 5>& names) {
    controls.caption = Caption(QStringLiteral("KML文件输出："), names[0], parent);
    controls.path = PathBox(names[1], parent);
    controls.save = PictureButton(names[2], QStyle::SP_DialogSaveButton,
                                  QStringLiteral("选择输出的KML文件"), parent);
    controls.view =
        PictureButton(names[3], QStyle::SP_ArrowRight, QStringLiteral("在地球上查看"), parent);
    controls.gauge = ProgressGauge(names[4], parent);
    auto* path = new QHBoxLayout;
    path->addWidget(controls.path, 1);
    path->addWidget(controls.save);
    path->addWidget(controls.view);
    layout->addWidget(controls.caption);
    layout->addLayout(path);
    layout->addWidget(controls.gauge);
}

void ChooseKmlOutput(QWidget* window, Dialogs& dialogs, QLineEdit& path) {
    FileDialogOptions options = KmlFileDialog();
    options.directory = QDir::currentPath();
    options.fileName = path.text();
    options.promptOverwrite = true;
    if (const std::optional<QString> chosen = dialogs.SaveFile(window, options)) {
        path.setText(*chosen);
    }
}

std::optional<QString> AskForFile(QWidget* window, Dialogs& dialogs, const QString& title,
                                  const QString& filter) {
    return dialogs.OpenFile(window,
                            {.title = title, .filter = filter, .directory = QDir::currentPath()});
}

void ChooseWorkbook(QWidget* window, Dialogs& dialogs,
                    const std::function<void(const QString&)>& open) {
    if (const std::optional<QString> path =
            AskForFile(window, dialogs, QStringLiteral("打开Excel文件"), kWorkbookFilter)) {
        ReportErrors(window, dialogs, [&open, &path] { open(*path); });
    }
}

void ShowSheetNames(QComboBox& box, const WorksheetSource& source) {
    const QSignalBlocker quiet(box);
    box.clear();
    box.addItems(FromUtf8(source.sheetNames()));
    box.setCurrentIndex(source.currentSheet());
}

QHBoxLayout* ButtonsAtRight(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons) {
        row->addWidget(button);
    }
    return row;
}

QLayout* ConverterColumn(std::initializer_list<QWidget*> rows, QGroupBox* information,
                         QPushButton* generate, QPushButton* close) {
    auto* buttons = ButtonsAtRight({generate, close});
    auto* column = new QVBoxLayout;
    for (QWidget* row : rows) {
        column->addWidget(row);
    }
    column->addWidget(information, 1);
    column->addLayout(buttons);
    return column;
}

namespace {

QString HeaderOf(const QString& entry) {
    return entry.mid(entry.indexOf(':') + 1).trimmed();
}

// The first free entry whose header matches one of `names`, exactly or by containing it.
int MatchingEntry(const QStringList& entries, const QStringList& names,
                  const std::vector<bool>& taken, bool exact) {
    for (const QString& name : names) {
        for (int i = 0; i < entries.size(); ++i) {
            const QString header = HeaderOf(entries[i]);
            const bool matches = exact ? header.compare(name, Qt::CaseInsensitive) == 0
                                       : header.contains(name, Qt::CaseInsensitive);
            if (!taken[static_cast<size_t>(i)] && matches) {
                return i;
            }
        }
    }
    return -1;
}

}  // namespace

void PreselectColumns(const std::vector<std::string>& entries,
                      const std::vector<UsualHeaders>& choices, bool newWorkbook) {
    const QStringList texts = FromUtf8(entries);
    std::vector<bool> taken(entries.size(), false);
    std::vector<const UsualHeaders*> open;
    for (const UsualHeaders& usual : choices) {
        const QString shown = usual.choice->currentText();
        const int chosen = texts.indexOf(shown);
        if (chosen >= 0) {
            taken[static_cast<size_t>(chosen)] = true;
        } else if (shown.isEmpty() || newWorkbook) {
            open.push_back(&usual);
        }
    }
    for (const bool exact : {true, false}) {
        for (const UsualHeaders* usual : open) {
            if (texts.contains(usual->choice->currentText())) {
                continue;  // matched exactly in the first round
            }
            const int match = MatchingEntry(texts, usual->names, taken, exact);
            if (match >= 0) {
                taken[static_cast<size_t>(match)] = true;
                usual->choice->clear();
                usual->choice->addItem(texts[match]);
                usual->choice->setCurrentIndex(0);
            }
        }
    }
}

void ColumnChoice::showPopup() {
    if (onDropDown) {
        onDropDown();
    }
    QComboBox::showPopup();
}

}  // namespace orvane
