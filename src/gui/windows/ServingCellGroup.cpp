#include "windows/ServingCellGroup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>
#include <exception>
#include <utility>

#include "common/Named.h"
#include "common/ProductInfo.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "common/WaitCursor.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

const QString kSettingsGroup = QStringLiteral("ServingCells");

// Header texts that name each kind of column, compared ignoring letter case.
const QStringList kSiteHeaders = {"站名", "基站名", "基站名称", "SITE_NAME", "SITENAME", "SITE"};
const QStringList kLongitudeHeaders = {"经度", "LONGITUDE", "LON", "LONG", "LNG"};
const QStringList kLatitudeHeaders = {"纬度", "LATITUDE", "LAT"};
const QStringList kAzimuthHeaders = {"方向角", "方位角", "AZIMUTH", "AZI"};
const QStringList kBeamwidthHeaders = {"波束宽度", "BEAMWIDTH"};
const QStringList kKeyHeaders = {"小区", "小区名", "小区名称", "CELL_NAME", "CELL", "CI", "ECI"};

QString SettingsKey(const QString& name) {
    return kSettingsGroup + '/' + name;
}

QVariant Remembered(const QString& name, const QVariant& otherwise = {}) {
    return QSettings(kProductTitle, kProductTitle).value(SettingsKey(name), otherwise);
}

QString RememberedText(const QString& name) {
    return Remembered(name).toString();
}

// The header text of a column entry: what follows "B:".
QString HeaderOf(const QString& entry) {
    return entry.section(':', 1);
}

QComboBox* Choice(const QString& name, QWidget* parent) {
    auto* box = Named<QComboBox>(name, parent);
    box->setMinimumContentsLength(6);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

// A choice kept from an earlier run; an empty text is the choice of none.
std::optional<QString> RememberedChoice(const QString& name) {
    const QVariant value = Remembered(name);
    return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
}

// The first item whose header (or whole text) one of `named` names, ignoring letter case.
int NamedItem(const QComboBox& box, const QStringList& named) {
    for (const QString& name : named) {
        for (int item = 0; item < box.count(); ++item) {
            const QString text = box.itemText(item);
            const QString header = text.contains(':') ? HeaderOf(text) : text;
            if (!text.isEmpty() && header.compare(name, Qt::CaseInsensitive) == 0) {
                return item;
            }
        }
    }
    return -1;
}

// Fills a column or field choice, an optional one with an empty item first for none, and
// chooses the remembered item, else the one that `named` names.
void Fill(QComboBox& box, const QStringList& items, bool optional,
          const std::optional<QString>& remembered, const QStringList& named) {
    box.clear();
    if (optional) {
        box.addItem(QString());
    }
    box.addItems(items);
    int chosen = remembered ? box.findText(*remembered, Qt::MatchExactly) : -1;
    if (chosen < 0) {
        chosen = NamedItem(box, named);
    }
    box.setCurrentIndex(chosen < 0 && optional ? 0 : chosen);
}

}  // namespace

ServingCellGroup::ServingCellGroup(Dialogs& dialogs, QWidget* parent)
    : QGroupBox(QStringLiteral("服务小区分析"), parent), dialogs_(dialogs) {
    setObjectName("GroupServing");
    setCheckable(true);
    setChecked(false);
    BuildControls();
    SpinSpacing->setValue(Remembered("Spacing", kDefaultServingSpacing).toInt());
    SpinRank->setValue(Remembered("Rank", kDefaultOvershootRank).toInt());
    connect(this, &QGroupBox::toggled, this,
            Guarded(this, dialogs_, &ServingCellGroup::GroupToggled));
}

ServingCellGroup::~ServingCellGroup() = default;

void ServingCellGroup::BuildControls() {
    EdtCellsFName = PathBox("EdtCellsFName", this);
    BtnOpenCells = PictureButton("BtnOpenCells", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("打开基站表（每个扇区一行）"), this);
    CbBoxCellsSheet = Choice("CbBoxCellsSheet", this);
    CBoxCellSite = Choice("CBoxCellSite", this);
    CBoxCellLon = Choice("CBoxCellLon", this);
    CBoxCellLat = Choice("CBoxCellLat", this);
    CBoxCellAzimuth = Choice("CBoxCellAzimuth", this);
    CBoxCellBeamwidth = Choice("CBoxCellBeamwidth", this);
    CBoxCellBeamwidth->setToolTip(QStringLiteral("可选：不选则均按65度判断波束外"));
    CBoxCellKey1 = Choice("CBoxCellKey1", this);
    CBoxCellKey2 = Choice("CBoxCellKey2", this);
    CBoxLogKey1 = Choice("CBoxLogKey1", this);
    CBoxLogKey2 = Choice("CBoxLogKey2", this);
    const QString keyHint = QStringLiteral(
        "基站表的小区列与DT字段的值相同（或为相等的整数）即为采样点的服务小区；"
        "可用两对，如PCI与频点");
    for (QComboBox* key : {CBoxCellKey1, CBoxCellKey2, CBoxLogKey1, CBoxLogKey2}) {
        key->setToolTip(keyHint);
    }
    SpinSpacing = Named<QSpinBox>("SpinSpacing", this);
    SpinSpacing->setRange(0, static_cast<int>(kMaxServingSpacing));
    SpinSpacing->setSuffix(QStringLiteral(" 米"));
    SpinSpacing->setToolTip(
        QStringLiteral("沿轨迹每隔该距离画一条连线，服务小区变化处总画；0为每个采样点"));
    SpinRank = Named<QSpinBox>("SpinRank", this);
    SpinRank->setRange(1, kMaxOvershootRank);
    SpinRank->setToolTip(QStringLiteral("服务基站比第K近的基站还远即为越区"));
    OnClick(BtnOpenCells, this, dialogs_, &ServingCellGroup::OpenTableClick);
    connect(CbBoxCellsSheet, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, dialogs_, &ServingCellGroup::SheetChange));

    auto* table = new QHBoxLayout;
    table->addWidget(Caption(QStringLiteral("基站表："), "LabelCells", this));
    table->addWidget(EdtCellsFName, 1);
    table->addWidget(BtnOpenCells);
    table->addWidget(Caption(QStringLiteral("工作表："), "LabelCellsSheet", this));
    table->addWidget(CbBoxCellsSheet);

    auto* grid = new QGridLayout;
    const auto place = [this, grid](int row, int pair, const QString& caption, QWidget* control) {
        grid->addWidget(new QLabel(caption, this), row, 2 * pair);
        grid->addWidget(control, row, 2 * pair + 1);
        grid->setColumnStretch(2 * pair + 1, 1);
    };
    place(0, 0, QStringLiteral("站名："), CBoxCellSite);
    place(0, 1, QStringLiteral("经度："), CBoxCellLon);
    place(0, 2, QStringLiteral("纬度："), CBoxCellLat);
    place(0, 3, QStringLiteral("方向角："), CBoxCellAzimuth);
    place(1, 0, QStringLiteral("波束宽度："), CBoxCellBeamwidth);
    place(1, 1, QStringLiteral("连线间隔："), SpinSpacing);
    place(1, 2, QStringLiteral("越区排名："), SpinRank);
    place(2, 0, QStringLiteral("小区列："), CBoxCellKey1);
    place(2, 1, QStringLiteral("DT字段："), CBoxLogKey1);
    place(2, 2, QStringLiteral("小区列2："), CBoxCellKey2);
    place(2, 3, QStringLiteral("DT字段2："), CBoxLogKey2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(table);
    layout->addLayout(grid);
}

void ServingCellGroup::OpenTableClick() {
    const QString shown = EdtCellsFName->text();
    const QString directory =
        shown.isEmpty() ? QDir::currentPath() : QFileInfo(shown).absolutePath();
    if (const std::optional<QString> path =
            dialogs_.OpenFile(this, {.title = QStringLiteral("打开基站表"),
                                     .filter = kWorkbookFilter,
                                     .directory = directory})) {
        OpenTable(*path);
    }
}

void ServingCellGroup::OpenTable(const QString& path) {
    const WaitCursor wait;
    // A file that cannot be read leaves the workbook before open, and its name shown.
    source_.OpenWorkbook(LocalPath(path));
    EdtCellsFName->setText(path);
    const QSignalBlocker quiet(CbBoxCellsSheet);
    CbBoxCellsSheet->clear();
    for (const std::string& name : source_.sheetNames()) {
        CbBoxCellsSheet->addItem(QString::fromStdString(name));
    }
    const int remembered = CbBoxCellsSheet->findText(RememberedText("Sheet"), Qt::MatchExactly);
    if (remembered > 0) {
        source_.SelectSheet(remembered);
    }
    CbBoxCellsSheet->setCurrentIndex(source_.currentSheet());
    ShowColumns();
}

void ServingCellGroup::SheetChange() {
    const int index = CbBoxCellsSheet->currentIndex();
    if (index < 0) {
        return;
    }
    if (!ReportErrors(this, dialogs_, [this, index] { source_.SelectSheet(index); })) {
        const QSignalBlocker quiet(CbBoxCellsSheet);
        CbBoxCellsSheet->setCurrentIndex(source_.currentSheet());
    }
    ShowColumns();
}

void ServingCellGroup::GroupToggled(bool on) {
    // The remembered table is read when the analysis is first wanted, not at every start.
    if (!on || source_.isOpen() || rememberedTableTried_) {
        return;
    }
    rememberedTableTried_ = true;
    const QString path = RememberedText("Table");
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    try {
        OpenTable(path);
    } catch (const std::exception&) {
        // A remembered table that no longer reads is as none: the user chooses one.
        EdtCellsFName->clear();
    }
}

void ServingCellGroup::ShowColumns() {
    const QStringList entries = FromUtf8(source_.columnEntries());
    Fill(*CBoxCellSite, entries, false, RememberedChoice("Site"), kSiteHeaders);
    Fill(*CBoxCellLon, entries, false, RememberedChoice("Longitude"), kLongitudeHeaders);
    Fill(*CBoxCellLat, entries, false, RememberedChoice("Latitude"), kLatitudeHeaders);
    Fill(*CBoxCellAzimuth, entries, false, RememberedChoice("Azimuth"), kAzimuthHeaders);
    Fill(*CBoxCellBeamwidth, entries, true, RememberedChoice("Beamwidth"), kBeamwidthHeaders);
    Fill(*CBoxCellKey1, entries, false, RememberedChoice("CellKey1"), kKeyHeaders);
    Fill(*CBoxCellKey2, entries, true, RememberedChoice("CellKey2"), {});
    ChooseLogKeys();
}

void ServingCellGroup::SetLogFields(const std::vector<std::string>& names) {
    const QStringList items = FromUtf8(names);
    // Fields chosen before stay chosen where the new header has them.
    Fill(*CBoxLogKey1, items, false, CBoxLogKey1->currentText(), {});
    Fill(*CBoxLogKey2, items, true, CBoxLogKey2->currentText(), {});
    ChooseLogKeys();
}

void ServingCellGroup::ChooseLogKeys() {
    const auto choose = [](QComboBox& box, const QString& remembered, const QString& keyEntry) {
        if (!box.currentText().isEmpty()) {
            return;
        }
        for (const QString& wanted : {remembered, HeaderOf(keyEntry)}) {
            const int found = wanted.isEmpty() ? -1 : box.findText(wanted, Qt::MatchFixedString);
            if (found >= 0) {
                box.setCurrentIndex(found);
                return;
            }
        }
    };
    choose(*CBoxLogKey1, RememberedText("LogKey1"), CBoxCellKey1->currentText());
    choose(*CBoxLogKey2, RememberedText("LogKey2"), CBoxCellKey2->currentText());
}

std::optional<QString> ServingCellGroup::MissingChoice() const {
    if (!source_.isOpen()) {
        return QStringLiteral("请打开服务小区分析的基站表!");
    }
    const bool columns = source_.ColumnOf(CBoxCellSite->currentText().toStdString()) != 0 &&
                         source_.ColumnOf(CBoxCellLon->currentText().toStdString()) != 0 &&
                         source_.ColumnOf(CBoxCellLat->currentText().toStdString()) != 0 &&
                         source_.ColumnOf(CBoxCellAzimuth->currentText().toStdString()) != 0 &&
                         source_.ColumnOf(CBoxCellKey1->currentText().toStdString()) != 0;
    // A second key is a pair: a column and a field, or neither.
    const bool secondColumn = !CBoxCellKey2->currentText().isEmpty();
    const bool secondField = !CBoxLogKey2->currentText().isEmpty();
    if (!columns || CBoxLogKey1->currentIndex() < 0 || secondColumn != secondField) {
        return QStringLiteral("请选择服务小区分析必需的基站表列和DT字段!");
    }
    return std::nullopt;
}

std::vector<std::int32_t> ServingCellGroup::KeyColumns() const {
    std::vector<std::int32_t> columns = {
        source_.ColumnOf(CBoxCellKey1->currentText().toStdString())};
    if (!CBoxCellKey2->currentText().isEmpty()) {
        columns.push_back(source_.ColumnOf(CBoxCellKey2->currentText().toStdString()));
    }
    return columns;
}

std::vector<size_t> ServingCellGroup::KeyFields() const {
    std::vector<size_t> fields = {static_cast<size_t>(CBoxLogKey1->currentIndex())};
    if (CBoxLogKey2->currentIndex() > 0) {
        fields.push_back(static_cast<size_t>(CBoxLogKey2->currentIndex() - 1));  // after "none"
    }
    return fields;
}

CellTable ServingCellGroup::ReadTable() const {
    CellTableColumns columns;
    columns.site = source_.ColumnOf(CBoxCellSite->currentText().toStdString());
    columns.longitude = source_.ColumnOf(CBoxCellLon->currentText().toStdString());
    columns.latitude = source_.ColumnOf(CBoxCellLat->currentText().toStdString());
    columns.azimuth = source_.ColumnOf(CBoxCellAzimuth->currentText().toStdString());
    columns.beamwidth = source_.ColumnOf(CBoxCellBeamwidth->currentText().toStdString());
    columns.keys = KeyColumns();
    return CellTable::Read(source_, columns);
}

ServingCellOptions ServingCellGroup::Options(const CellTable& cells,
                                             ServingCellReport* report) const {
    ServingCellOptions options;
    options.cells = &cells;
    options.keyFields = KeyFields();
    options.spacing = SpinSpacing->value();
    options.overshootRank = SpinRank->value();
    options.report = report;
    return options;
}

void ServingCellGroup::Remember() const {
    QSettings settings(kProductTitle, kProductTitle);
    settings.beginGroup(kSettingsGroup);
    settings.setValue("Table", EdtCellsFName->text());
    settings.setValue("Sheet", CbBoxCellsSheet->currentText());
    const std::pair<const char*, QComboBox*> choices[] = {
        {"Site", CBoxCellSite},       {"Longitude", CBoxCellLon},       {"Latitude", CBoxCellLat},
        {"Azimuth", CBoxCellAzimuth}, {"Beamwidth", CBoxCellBeamwidth}, {"CellKey1", CBoxCellKey1},
        {"CellKey2", CBoxCellKey2},   {"LogKey1", CBoxLogKey1},         {"LogKey2", CBoxLogKey2}};
    for (const auto& [name, box] : choices) {
        settings.setValue(name, box->currentText());
    }
    settings.setValue("Spacing", SpinSpacing->value());
    settings.setValue("Rank", SpinRank->value());
}

}  // namespace orvane
