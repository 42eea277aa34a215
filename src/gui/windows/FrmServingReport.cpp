#include "windows/FrmServingReport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "common/DesktopHost.h"
#include "common/Kml_baseclass.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/Utf8Text.h"
#include "windows/WindowParts.h"

namespace orvane {

namespace {

const QString kAllCells = QStringLiteral("全部");
const QString kCellsWithoutVerdict = QStringLiteral("正常");

// A cell of the table: its text shown, and sorted as a number where it is one; an empty cell
// has nothing to sort by and comes last.
QStandardItem* Cell(const std::string& text) {
    auto* item = new QStandardItem(FromUtf8(text));
    item->setEditable(false);
    if (const std::optional<double> number = TryParseNumber(text)) {
        item->setData(*number, Qt::UserRole);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else if (!text.empty()) {
        item->setData(FromUtf8(text), Qt::UserRole);
    }
    return item;
}

}  // namespace

TFrmServingReport::TFrmServingReport(DesktopHost& host, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), host_(host), dialogs_(dialogs) {
    setObjectName("FrmServingReport");
    setWindowTitle(QStringLiteral("小区统计"));
    setModal(false);

    LabelSummary = Caption(QString(), "LabelSummary", this);
    LabelSummary->setWordWrap(true);
    CBoxVerdict = Named<QComboBox>("CBoxVerdict", this);
    CBoxVerdict->addItems({kAllCells, FromUtf8(kCrossedFeederVerdict),
                           FromUtf8(kOvershootingVerdict), kCellsWithoutVerdict});
    connect(CBoxVerdict, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, dialogs_, &TFrmServingReport::CBoxVerdictChange));

    cells_ = new QStandardItemModel(this);
    shown_ = new QSortFilterProxyModel(this);
    shown_->setSourceModel(cells_);
    shown_->setSortRole(Qt::UserRole);
    GridCells = Named<QTableView>("GridCells", this);
    GridCells->setModel(shown_);
    GridCells->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridCells->setSelectionMode(QAbstractItemView::SingleSelection);
    GridCells->setToolTip(QStringLiteral("双击一行，在地球上定位到该小区"));
    GridCells->verticalHeader()->hide();
    // No column is sorted at first: the report's order, most samples first.
    GridCells->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    GridCells->setSortingEnabled(true);
    connect(GridCells, &QTableView::doubleClicked, this,
            Guarded(this, dialogs_, &TFrmServingReport::GridCellsDblClick));

    BtnExport = CommandButton(QStringLiteral("导出CSV"), "BtnExport", this);
    BtnClose = CommandButton(QStringLiteral("关闭"), "BtnClose", this);
    OnClick(BtnExport, this, dialogs_, &TFrmServingReport::BtnExportClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::hide);

    auto* filter = new QHBoxLayout;
    filter->addWidget(Caption(QStringLiteral("结论："), "LabelVerdict", this));
    filter->addWidget(CBoxVerdict);
    filter->addWidget(LabelSummary, 1);
    auto* buttons = ButtonsAtRight({BtnExport, BtnClose});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(GridCells, 1);
    layout->addLayout(buttons);
    resize(960, 420);
}

TFrmServingReport::~TFrmServingReport() = default;

void TFrmServingReport::ShowReport(std::unique_ptr<ServingAnalysis> analysis,
                                   const QString& csvPath) {
    analysis_ = std::move(analysis);
    csvPath_ = csvPath;
    FillRows();
    LabelSummary->setText(Summary());
    show();
    raise();
}

void TFrmServingReport::FillRows() {
    const ServingCellReport& report = analysis_->report;
    cells_->clear();
    cells_->setHorizontalHeaderLabels(FromUtf8(ServingReportHeader(report.themeName)));
    for (const ServingCellRow& row : report.rows) {
        QList<QStandardItem*> items;
        for (const std::string& field : ServingReportFields(row)) {
            items << Cell(field);
        }
        cells_->appendRow(items);
    }
    shown_->setFilterKeyColumn(cells_->columnCount() - 1);
    GridCells->resizeColumnsToContents();
    // Wide enough for every column, the verdict last among them, where the screen allows.
    const int needed = GridCells->horizontalHeader()->length() +
                       GridCells->verticalScrollBar()->sizeHint().width() +
                       4 * GridCells->frameWidth() + layout()->contentsMargins().left() +
                       layout()->contentsMargins().right();
    const QScreen* screen = this->screen();
    const int room = screen != nullptr ? screen->availableGeometry().width() : needed;
    resize(std::max(width(), std::min(needed, room)), height());
}

QString TFrmServingReport::Summary() const {
    const ServingCellReport& report = analysis_->report;
    const auto verdicts = [&report](std::string_view verdict) {
        return std::count_if(
            report.rows.begin(), report.rows.end(),
            [verdict](const ServingCellRow& row) { return row.verdict == verdict; });
    };
    QString summary = QStringLiteral("采样点%1个，服务小区%2个；%3%4个，%5%6个")
                          .arg(report.samples)
                          .arg(report.rows.size())
                          .arg(FromUtf8(kCrossedFeederVerdict))
                          .arg(verdicts(kCrossedFeederVerdict))
                          .arg(FromUtf8(kOvershootingVerdict))
                          .arg(verdicts(kOvershootingVerdict));
    if (const std::string unmatched = UnmatchedCellsMessage(report); !unmatched.empty()) {
        summary += '\n' + FromUtf8(unmatched);
    }
    return summary;
}

void TFrmServingReport::CBoxVerdictChange() {
    const QString chosen = CBoxVerdict->currentText();
    const QString pattern = chosen == kAllCells ? QString()
                            : chosen == kCellsWithoutVerdict
                                ? QStringLiteral("^$")
                                : '^' + QRegularExpression::escape(chosen) + '$';
    shown_->setFilterRegularExpression(pattern);
}

void TFrmServingReport::GridCellsDblClick(const QModelIndex& index) {
    if (!analysis_ || !index.isValid()) {
        return;
    }
    const auto row = static_cast<size_t>(shown_->mapToSource(index).row());
    const CellSector& cell = *analysis_->report.rows.at(row).cell;
    host_.FlyTo(cell.longitude, cell.latitude);
}

void TFrmServingReport::BtnExportClick() {
    if (!analysis_) {
        return;
    }
    if (const std::optional<QString> path =
            dialogs_.SaveFile(this, {.title = QStringLiteral("导出CSV"),
                                     .filter = QStringLiteral("CSV(*.csv)|*.csv"),
                                     .defaultSuffix = QStringLiteral("csv"),
                                     .fileName = csvPath_,
                                     .promptOverwrite = true})) {
        WriteServingReportCsv(LocalPath(*path), analysis_->report);
        csvPath_ = *path;
        dialogs_.Message(this, QStringLiteral("小区统计已导出：") + *path);
    }
}

}  // namespace orvane
