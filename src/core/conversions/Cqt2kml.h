#pragma once

// A table of call quality tests as coloured points: one point per worksheet row, coloured by
// the legend entry of its theme value, with the whole row in its balloon.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "conversions/Conversion.h"
#include "conversions/LegendStatistics.h"
#include "kml/Tkmldocument.h"
#include "legend/ThematicLegend.h"

namespace orvane {

class WorksheetSource;

struct CqtConversionRequest {
    // The open workbook; rows 2 … rowCount of its current sheet are the test points.
    const WorksheetSource* source = nullptr;
    // Column numbers from 1 (ColumnOf the entry each choice shows).
    std::int32_t nameColumn = 0;
    std::int32_t lonColumn = 0;
    std::int32_t latColumn = 0;
    std::int32_t themeColumn = 0;
    std::string outPath;
    // The standard layout gives each point its row as data.
    KmlLayout layout = KmlLayout::Fixed;
    int digits = 0;  // coordinate decimals; 0: as computed
    // Its kind, the entries of that kind, the boundary mode and the scan of the theme column.
    ThematicLegend legend;
    // The points in one folder per legend entry, in legend order, each named by its figures,
    // then a folder of the points outside the legend when there are any.
    bool legendFolders = false;
    // When set, receives the figures of the legend entries once the file is written.
    LegendStatistics* statistics = nullptr;
    // The legend as an image on the map (a ScreenOverlay at the lower left).
    bool legendOverlay = false;
};

// The cell texts of one column, rows 2 … rowCount, scanned with the CQT number test; reading
// stops as soon as the scan allows neither kind of legend.
ThemeFieldScan ScanCqtThemeColumn(const WorksheetSource& source, std::int32_t column);

// Checks the columns and reads the grading bounds, then writes the KML file; the summary
// counts the rows read, the points written and the rows reported. Reports each row left out
// through observer.info and progress once per row. Throws orvane::Error: "Cannot open file
// %s" without an open workbook, "List index out of bounds (%d)" for a column below 1 and
// "'%s' is not a valid floating point value" for a bound that is no number (both before
// observer.started, with nothing read or written), a colour that is no integer, a graded theme
// value that is no number, "Cannot create file %s". On error an existing output file is left
// as it was and no file is created.
ConversionSummary ConvertCqtToKml(const CqtConversionRequest& request,
                                  const ConversionObserver& observer = {});

}  // namespace orvane
