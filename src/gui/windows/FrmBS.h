#pragma once

// The base-station window: a base-station table kept in a workbook becomes site icons and
// sector wedges. The window opens the workbook, offers its sheets and columns, and hands
// the chosen columns to ConvertBsToKml.

#include <QComboBox>
#include <QDialog>
#include <QString>
#include <functional>

#include "common/Dialogs.h"
#include "conversions/Bs2kml.h"
#include "windows/FreshWorkbook.h"
#include "windows/WindowParts.h"
#include "workbooks/WorksheetSource.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace orvane {

class DesktopHost;

inline constexpr int kDefaultRadiusMetres = 300;

class TFrmBS : public QDialog {
    Q_OBJECT
  public:
    TFrmBS(DesktopHost& host, Dialogs& dialogs, QWidget* parent);
    ~TFrmBS() override;

    // What a conversion started now would be given: the workbook and the controls as they
    // stand.
    BsConversionRequest Request() const;
    const WorksheetSource& Source() const { return source_; }

    void SpeedButton2Click();
    // Opens a workbook as choosing it in the open dialog does (a file given from outside).
    void OpenInputFile(const QString& path);
    void CbBoxSheetChange();
    void CBBox_SitenameDropDown();
    void CBBox_LonDropDown();
    void CBBox_LatDropDown();
    void CBBox_DirectDropDown();
    void CBBox_BeamwidthDropDown();
    void CBoxRadiusUnitChange();
    void SpeedButton1Click();
    void SpeedButton7Click();
    void Button5Click();
    void Button1Click();

  private:
    QLabel* Label1;
    QLineEdit* EdtxlsFName;
    QToolButton* SpeedButton2;
    QLabel* Label19;
    QComboBox* CbBoxSheet;
    QGroupBox* GroupBox2;
    QLabel* Label4;
    ColumnChoice* CBBox_Sitename;
    QLabel* Label6;
    ColumnChoice* CBBox_Lon;
    QLabel* Label7;
    ColumnChoice* CBBox_Lat;
    QLabel* Label11;
    ColumnChoice* CBBox_Direct;
    QLabel* LabelBeamwidth;
    ColumnChoice* CBBox_Beamwidth;  // optional: empty draws every wedge 45 degrees wide
    QLabel* Label2;
    QSpinBox* CSpinEdit1;
    QLabel* Label5;
    QComboBox* CBoxRadiusUnit;  // "秒" (seconds of arc, the default) or "米" (metres)
    QLabel* Label3;
    QLineEdit* EdtFName1;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton7;
    QPushButton* Button5;
    QProgressBar* CGauge1;
    QGroupBox* GroupBox4;
    QPlainTextEdit* Memo0;
    QPushButton* Button1;

    QWidget* CreateSourceRows();
    QGroupBox* CreateColumnChoices();
    QWidget* CreateOutputRows();
    ColumnChoice* AddColumnChoice(QGridLayout* layout, int row, const QString& caption,
                                  const QString& labelName, const QString& name, QLabel*& label);
    // Refills the choice `opening` (0 ... 3 the four bound fields, 4 the beamwidth).
    void FillChoice(int opening);
    void PreselectUsualColumns(bool newWorkbook);

    DesktopHost& host_;
    Dialogs& dialogs_;
    WorksheetSource source_;
    FreshWorkbook workbook_;
    int secondsRadius_ = kDefaultSectorRadius;
    int metresRadius_ = kDefaultRadiusMetres;
};

}  // namespace orvane
