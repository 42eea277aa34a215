#pragma once

// The CQT window: a table of call quality tests kept in a workbook becomes one coloured point
// per test. The window owns the workbook source, binds four of its columns, keeps the legend
// of the theme column in the legend panel and hands everything to the CQT conversion.

#include <QComboBox>
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "common/Dialogs.h"
#include "conversions/Cqt2kml.h"
#include "windows/FreshWorkbook.h"
#include "windows/WindowParts.h"
#include "workbooks/WorksheetSource.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace orvane {

class ConversionOptionsGroup;
class LegendPanel;
class TFrmColorCfg;
class DesktopHost;

class TFrmCQT : public QDialog {
    Q_OBJECT
  public:
    TFrmCQT(DesktopHost& host, Dialogs& dialogs, TFrmColorCfg& colorCfg, QWidget* parent);
    ~TFrmCQT() override;

    // What a conversion started now would be given: the controls as they stand.
    CqtConversionRequest Request() const;
    const WorksheetSource& Source() const { return source_; }

    void SpeedButton9Click();
    // Opens a workbook as choosing it in the open dialog does (a file given from outside).
    void OpenInputFile(const QString& path);
    void CbBoxSheet1Change();
    // One handler for the four choices' DropDown events.
    void ColumnChoiceDropDown(ColumnChoice* choice);
    void CBBox_ThemeChange();
    void SpeedButton10Click();
    void SpeedButton11Click();
    void Button7Click();
    void Button1Click();

  private:
    QLabel* Label13;
    QLineEdit* EdtCQTFName;
    QToolButton* SpeedButton9;
    QLabel* Label20;
    QComboBox* CbBoxSheet1;
    QGroupBox* GroupBox6;
    QLabel* Label17;
    ColumnChoice* CBBox_Name1;
    QLabel* Label14;
    ColumnChoice* CBBox_Lon1;
    QLabel* Label15;
    ColumnChoice* CBBox_Lat1;
    QLabel* Label16;
    ColumnChoice* CBBox_Theme;
    LegendPanel* Legend;
    QLabel* Label18;
    QLineEdit* EdtFName3;
    QToolButton* SpeedButton10;
    QToolButton* SpeedButton11;
    QPushButton* Button7;
    QProgressBar* CGauge3;
    QGroupBox* GroupBox4;
    QPlainTextEdit* Memo0;
    QPushButton* Button1;

    QWidget* CreateSourceRows();
    QWidget* CreateOutputRows();
    ColumnChoice* CreateColumnChoice(const QString& name, QWidget* parent);
    std::array<ColumnChoice*, 4> ColumnChoices() const;
    // The column each choice binds; 0 when it shows nothing or an entry of no column of the
    // current sheet.
    std::int32_t ColumnOf(const QComboBox& choice) const;
    void PreselectUsualColumns(bool newWorkbook);

    DesktopHost& host_;
    Dialogs& dialogs_;
    ConversionOptionsGroup* options_;
    WorksheetSource source_;
    FreshWorkbook workbook_;
};

}  // namespace orvane
