#pragma once

// The window "小区统计": the per-cell report of the last drive-test conversion with the
// serving-cell analysis. Its columns sort, a filter shows the cells of one verdict, "导出CSV"
// writes the report as orvane-convert's --report does, and a double-click flies the globe to
// the cell's site.

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <memory>

#include "common/Dialogs.h"
#include "conversions/ServingCells.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace orvane {

class DesktopHost;

// What one conversion's analysis leaves: the table that the report's rows point into, and
// the report. Kept in one place that does not move, so that the pointers stay valid.
struct ServingAnalysis {
    explicit ServingAnalysis(CellTable table) : cells(std::move(table)) {}
    CellTable cells;
    ServingCellReport report;
};

class TFrmServingReport : public QDialog {
    Q_OBJECT
  public:
    TFrmServingReport(DesktopHost& host, Dialogs& dialogs, QWidget* parent);
    ~TFrmServingReport() override;

    // Shows the report in place of the one before; "导出CSV" proposes `csvPath`.
    void ShowReport(std::unique_ptr<ServingAnalysis> analysis, const QString& csvPath);

    void CBoxVerdictChange();
    void GridCellsDblClick(const QModelIndex& index);
    void BtnExportClick();

  private:
    QLabel* LabelSummary;
    QComboBox* CBoxVerdict;  // "全部", either verdict, or "正常" for cells without one
    QTableView* GridCells;
    QPushButton* BtnExport;
    QPushButton* BtnClose;

    void FillRows();
    QString Summary() const;

    DesktopHost& host_;
    Dialogs& dialogs_;
    std::unique_ptr<ServingAnalysis> analysis_;
    QStandardItemModel* cells_;
    QSortFilterProxyModel* shown_;
    QString csvPath_;
};

}  // namespace orvane
