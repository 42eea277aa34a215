#pragma once

// The drive-test window's group "服务小区分析": the base-station table whose sectors served the
// samples (workbook, sheet, columns), the log's key fields that name each sample's cell, and
// how lines are thinned and overshooting ranked. Turned off it asks for nothing and the
// conversion draws the route alone. The last choice is kept in the program's settings.

#include <QGroupBox>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "common/Dialogs.h"
#include "conversions/DtServingCells.h"
#include "workbooks/WorksheetSource.h"

class QComboBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace orvane {

class ServingCellGroup : public QGroupBox {
    Q_OBJECT
  public:
    ServingCellGroup(Dialogs& dialogs, QWidget* parent);
    ~ServingCellGroup() override;

    // Opens a workbook as choosing it in the open dialog does.
    void OpenTable(const QString& path);
    // Offers the fields of the log just read as key fields.
    void SetLogFields(const std::vector<std::string>& names);

    // Why a conversion cannot start with the analysis (a message for the user), or nothing.
    std::optional<QString> MissingChoice() const;
    // The table read with the chosen columns; throws as CellTable::Read does.
    CellTable ReadTable() const;
    // The analysis of `cells` with the chosen key fields, spacing and rank.
    ServingCellOptions Options(const CellTable& cells, ServingCellReport* report) const;
    // Keeps the choices for the next run.
    void Remember() const;

  private:
    QLineEdit* EdtCellsFName;
    QToolButton* BtnOpenCells;
    QComboBox* CbBoxCellsSheet;
    QComboBox* CBoxCellSite;
    QComboBox* CBoxCellLon;
    QComboBox* CBoxCellLat;
    QComboBox* CBoxCellAzimuth;
    QComboBox* CBoxCellBeamwidth;  // optional: its first item is empty
    QComboBox* CBoxCellKey1;
    QComboBox* CBoxCellKey2;  // optional
    QComboBox* CBoxLogKey1;
    QComboBox* CBoxLogKey2;  // optional
    QSpinBox* SpinSpacing;
    QSpinBox* SpinRank;

    void BuildControls();
    void OpenTableClick();
    void SheetChange();
    void GroupToggled(bool on);
    // Fills the column choices from the current sheet: the remembered entry where the sheet
    // has it, else a column whose header names the kind of column.
    void ShowColumns();
    // Chooses the key fields still unchosen: the remembered field, else the field named as
    // the key column's header.
    void ChooseLogKeys();
    std::vector<std::int32_t> KeyColumns() const;
    std::vector<size_t> KeyFields() const;

    Dialogs& dialogs_;
    WorksheetSource source_;
    bool rememberedTableTried_ = false;
};

}  // namespace orvane
