#pragma once

// The drive-test window: a drive-test log becomes route lines coloured by a theme field.
// The window reads the log's header to offer its fields, keeps the legend of the chosen
// theme field in the legend panel, and hands everything to ConvertDtToKml.

#include <QDialog>
#include <QString>
#include <optional>

#include "common/Dialogs.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace orvane {

class ConversionOptionsGroup;
class LegendPanel;
class TFrmColorCfg;
class DesktopHost;
class ServingCellGroup;
class TFrmServingReport;

class TFrmDT : public QDialog {
    Q_OBJECT
  public:
    TFrmDT(DesktopHost& host, Dialogs& dialogs, TFrmColorCfg& colorCfg, QWidget* parent);
    ~TFrmDT() override;

    // What a conversion started now would be given: the controls as they stand and the
    // settings' break distance and layout.
    DtConversionRequest Request() const;

    // Reads the log and offers its fields, as when it is chosen in the file dialog.
    void OpenInputFile(const QString& path);

    void SpeedButton3Click();
    void CBoxFNListChange();
    void SpeedButton4Click();
    void SpeedButton6Click();
    void Button6Click();
    void Button1Click();

  private:
    QLabel* Label5;
    QLineEdit* EdtDtFName;
    QToolButton* SpeedButton3;
    QLabel* Label2;
    QComboBox* CBox_Long;
    QLabel* Label3;
    QComboBox* CBox_Lat;
    QLabel* Label8;
    QComboBox* CBoxFNList;
    LegendPanel* Legend;
    QLabel* Label10;
    QLineEdit* EdtFName2;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton6;
    QPushButton* Button6;
    QProgressBar* CGauge2;
    QLabel* Label23;
    QSpinBox* CSpinEdtWidth;
    QLabel* Label1;
    QGroupBox* GroupBox4;
    QPlainTextEdit* Memo0;
    QPushButton* Button1;
    ServingCellGroup* GroupServing;
    TFrmServingReport* FrmServingReport;  // shown after a conversion with the analysis

    QWidget* CreateSourceRows();
    QWidget* CreateOutputRows();
    // Offers the fields of the log just read, keeping the fields chosen before where the
    // new header still has them.
    void ReadHeader();
    // Scans the chosen theme field of the log and shows the legends it allows.
    void RefreshLegend();
    // Converts with the serving-cell analysis when its group is on, then shows its report.
    std::optional<ConversionSummary> Convert();

    DesktopHost& host_;
    Dialogs& dialogs_;
    ConversionOptionsGroup* options_;
    // The log as read when it was chosen; the theme field is scanned from it.
    std::optional<DtTextFile> lines_;
};

// The open dialog of a drive-test log, here and in the playback dialog.
inline const QString kDtLogTitle = QStringLiteral("打开DT文本记录文件");
inline const QString kDtLogFilter = QStringLiteral("文本文件(*.txt)|*.txt");

}  // namespace orvane
