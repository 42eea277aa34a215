#pragma once

// The group "输出选项" of the drive-test and CQT windows: what the KML file carries beyond the
// coloured features — one folder per legend entry, merged lines, the legend on the map, the
// time of each line, points carrying their record's values — and the CSV file of the legend's
// figures. Left as they start, the conversion writes what it always wrote. The last choices
// are kept in the program's settings.

#include <QGroupBox>
#include <QString>
#include <string>
#include <vector>

#include "conversions/Conversion.h"
#include "conversions/Cqt2kml.h"
#include "conversions/Dt2kml.h"
#include "conversions/LegendStatistics.h"
#include "windows/LegendPanel.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace orvane {

class Dialogs;

class ConversionOptionsGroup : public QGroupBox {
    Q_OBJECT
  public:
    ConversionOptionsGroup(LegendWindow window, Dialogs& dialogs, QWidget* parent);

    // Offers the fields of the log just read as its time field (drive test).
    void SetLogFields(const std::vector<std::string>& names);

    void Apply(DtConversionRequest& request) const;
    void Apply(CqtConversionRequest& request) const;
    // Whether the conversion gathers the legend's figures: the folders, the legend on the map
    // and the CSV file show them.
    bool WantsStatistics() const;
    // The CSV file to write the figures to: the one typed or chosen, else one beside the
    // output (shown in its box); empty when none is asked for.
    QString StatisticsPath(const QString& outputPath);
    // After the conversion: one information line per legend row, as the command line prints
    // them, then the CSV file. Throws "Cannot create file %s".
    static void ReportStatistics(const LegendStatistics& statistics, const QString& csvPath,
                                 const ConversionObserver& observer);
    // Keeps the choices for the next run.
    void Remember() const;

  private:
    void BuildLegendRow(QGridLayout* layout);
    void BuildTrackRows(QGridLayout* layout);
    void BuildStatisticsRow(QGridLayout* layout, int row);
    void MergeLinesToggled(bool on);
    void ChooseStatisticsFile();
    void Restore();

    LegendWindow window_;
    Dialogs& dialogs_;
    QString settingsGroup_;
    QString rememberedTimeField_;
    bool foldersBeforeMerge_ = false;
    QCheckBox* legendFolders_;
    QCheckBox* mergeLines_ = nullptr;
    QCheckBox* legendOverlay_;
    QComboBox* timeField_ = nullptr;
    QLineEdit* timeDate_ = nullptr;
    QComboBox* utcOffset_ = nullptr;
    QCheckBox* samples_ = nullptr;
    QSpinBox* sampleSpacing_ = nullptr;
    QCheckBox* statisticsCsv_;
    QLineEdit* statisticsPath_;
    QToolButton* statisticsButton_;
};

}  // namespace orvane
