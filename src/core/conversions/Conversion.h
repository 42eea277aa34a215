#pragma once

// What every conversion shares: the summary it returns, the progress ticker that turns
// positions into the percentages its observer sees, the save that turns a failed write into
// an error, and the legend classifier that maps theme values to legend entries.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/Progress.h"
#include "kml/Placemarks.h"
#include "legend/ThematicLegend.h"

namespace orvane {

class TKMLDocument;
class WorksheetSource;

// What a finished conversion did.
struct ConversionSummary {
    std::int64_t recordsRead = 0;      // input records, lines or rows looked at
    std::int64_t featuresWritten = 0;  // placemarks, or sites for base stations
    std::int64_t rowsReported = 0;     // records left out and reported as information
    std::string outputPath;
};

// "导出完成,共导入N行数据.", N counting the features written: the completion message of
// the table conversions.
std::string ImportedRowsMessage(const ConversionSummary& summary);

// A bound cell of a row left out: the label the report gives it, its text, and the column
// entry its choice shows ("C:纬度").
struct BoundCell {
    std::string_view label;
    std::string_view text;
    std::string_view entry;
};

// Reports a row left out for empty bound cells: `heading`, then "  LABEL :ENTRY无有效值!"
// for each empty one.
void ReportEmptyCells(const ConversionObserver& observer, std::string_view heading,
                      std::initializer_list<BoundCell> cells);

// Reports a conversion's progress to its observer, each percentage once as it changes.
class ProgressTicker {
  public:
    explicit ProgressTicker(const ConversionObserver& observer) : observer_(observer) {}

    // Row `row` of a worksheet of `rowCount` rows: row ÷ (rowCount − 1) × 100 in floating
    // point, truncated and held within 0 … 100.
    void AtRow(std::int64_t row, std::int64_t rowCount);
    // Line `line` (from 1) of a text of `lineCount` lines: (line − 1) × 100 ÷ (lineCount − 1).
    void AtLine(std::int64_t line, std::int64_t lineCount);
    void AtPercent(int percent);
    // The end of the conversion: the bar returns to 0.
    void Finish() const { observer_.Progress(0); }

  private:
    const ConversionObserver& observer_;
    int shown_ = -1;
};

// Writes the rest of the document and puts the file in place; throws "Cannot create file %s"
// when that failed.
void SaveOrThrow(TKMLDocument& document);

// The workbook a table conversion reads; throws "Cannot open file %s" when none is open, so
// that a missing workbook stops every table conversion alike.
const WorksheetSource& OpenWorkbookOf(const WorksheetSource* source);

// The schema of a worksheet's rows: one field per column named by its header text (its
// letters when empty; a repeated name gets "_2", "_3"...), typed by the column's values in
// rows 2 … rowCount.
KmlSchema WorksheetSchema(const WorksheetSource& source, std::string id);

// A legend read once into typed ranges or classes. Reading it checks the grading bounds:
// "'%s' is not a valid floating point value" for a bound that is no number.
class LegendClassifier {
  public:
    explicit LegendClassifier(const ThematicLegend& legend);

    // The entry that holds the theme value: a class position (-1 for a value the scan did
    // not see) or a range position (NoEntry outside every range). A graded value that is no
    // number throws "'%s' is not a valid floating point value".
    int EntryOf(std::string_view value) const;
    // The entries' colour numbers in entry order; "'%s' is not a valid integer value" for
    // a colour that is no integer.
    std::vector<std::int32_t> Colours() const;
    // The entry's text as the legend shows it: the class value, or the range "left~right";
    // kOutOfLegendText for an entry outside the legend.
    std::string_view EntryText(int entry) const;

  private:
    const ThematicLegend& legend_;
    std::vector<GradeRange> ranges_;
    std::vector<std::string> texts_;
};

}  // namespace orvane
