#pragma once

// The legend panel of the drive-test and CQT windows: the window's thematic legend in two
// tables (classification and grading), the grade count, the default computation, the
// boundary mode and the colour scheme menu. It only shows and edits the legend; scanning,
// default colours and ranges and matching belong to the legend model.
//
// Entry i of a legend is row i of its table; the column titles are the table's header. The
// columns "数量" and "占比" show how many of the scanned values each entry holds; the values
// outside the legend are counted below the table.

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "conversions/LegendStatistics.h"
#include "legend/Colcfg.h"
#include "legend/ThematicLegend.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace orvane {

class Dialogs;
class TFrmColorCfg;
class ThemeChartDialog;
struct LegendPanelNames;
struct ThemeChartData;

// The window the panel belongs to: the component names and the few differences follow it.
enum class LegendWindow { DriveTest, Cqt };

class LegendPanel : public QWidget {
    Q_OBJECT

  public:
    LegendPanel(LegendWindow window, Dialogs& dialogs, TFrmColorCfg& colorCfg,
                QWidget* parent = nullptr);

    // The window's generate button (enabled when a legend is possible) and theme field
    // selector (its text names a saved scheme by default).
    void AttachWindowControls(QAbstractButton* generateButton, QComboBox* themeSelector);

    // A theme field was chosen: runs the scan under the wait cursor and shows its legends.
    // Ranges the user edited are kept per theme field (the selector's text) while the window
    // lives: a field chosen again shows them instead of the default grading.
    void ChooseThemeField(const std::function<ThemeFieldScan()>& scan);
    void ShowScan(ThemeFieldScan scan);

    // The legend as the tables stand now, for a conversion.
    ThematicLegend Legend() const;
    LegendKind ActiveKind() const;
    const ThemeFieldScan& scan() const { return scan_; }

    std::vector<LegendEntry> GradeRows() const;
    void SetGradeRows(const std::vector<LegendEntry>& rows);

    // Event handlers, named after the role of the control (the two windows name the
    // controls differently).
    void SpinEditChange(int gradeCount);
    void Button2Click();
    void RadioGroupClick(int code);
    void PageControlChange(int page);
    void N1Click();
    void N2Click();
    // "统计图": the histogram of the theme values in the legend's colours.
    void BtnThemeChartClick();
    // The histogram as the legend stands now.
    ThemeChartData ChartData() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static constexpr int kClassPage = 0;
    static constexpr int kGradePage = 1;

    void BuildClassPage(const LegendPanelNames& names);
    void BuildGradePage(const LegendPanelNames& names);
    void BuildSettings(const LegendPanelNames& names);
    void SetGenerateEnabled(bool enabled);
    void SetPageShown(int page, bool shown);
    void KeepAShownPageActive(int pageBefore);
    void FillClassTable(const std::vector<LegendEntry>& entries);
    void ResizeGradeTable(int rows);
    void KeepEditedGrading();
    std::vector<LegendEntry> GradingOfThemeField();
    // Edited ranges may leave values of the field without a colour; the hint under the
    // grading table says how many distinct values, counted once the edits settle.
    void ScheduleOutsideCount();
    void CountValuesOutside();
    // The count and share columns and the count of values outside, from the scan's counts.
    void ShowEntryCounts();
    void WriteCounts(QTableWidget* table, int firstColumn, const LegendStatistics& statistics);
    // Colour cells open the colour dialog on any mouse press; true when handled.
    bool StringGridMouseDown(QTableWidget* table, const QPoint& position);

    LegendWindow window_;
    Dialogs& dialogs_;
    TFrmColorCfg& colorCfg_;
    QPointer<QAbstractButton> generateButton_;
    QPointer<QComboBox> themeSelector_;
    ThemeFieldScan scan_;
    int activePage_ = kGradePage;
    std::vector<double> scanNumbers_;  // the distinct values of a field that can be graded
    QString themeField_;
    std::map<QString, std::vector<LegendEntry>> editedGradings_;
    bool outsideCountPending_ = false;

    QTabWidget* pageControl_;
    QWidget* classSheet_;
    QTableWidget* classGrid_;
    QWidget* gradeSheet_;
    QTableWidget* gradeGrid_;
    QLabel* outsideHint_;
    QGroupBox* settingsGroup_;
    QSpinBox* gradeCount_;
    QPushButton* defaultButton_;
    QGroupBox* boundaryGroup_;
    QButtonGroup* boundaryButtons_;
    QLabel* ruleLabel_;
    QLabel* emptyHint_;
    QWidget* countRow_;
    QLabel* outsideCount_;
    QPushButton* chartButton_;
    QPointer<ThemeChartDialog> chartDialog_;
    QMenu* popupMenu_;
};

// Colour numbers (0x00BBGGRR) and the colours they stand for.
QColor ColourOfNumber(std::int32_t number);
std::int32_t NumberOfColour(const QColor& colour);
// The colour a colour cell shows: its number, or white for a text that is no integer.
QColor ColourOfCellText(const QString& text);

}  // namespace orvane
