#pragma once

// How the commands that read a workbook name its sheets and columns.

#include <cstdint>
#include <string>

namespace orvane {
class WorksheetSource;
}

namespace orvane::cli {

// SHEET is a sheet name, else a number from 1. Throws orvane::Error for a sheet the workbook
// does not have.
std::int32_t SheetIndexOf(const WorksheetSource& source, const std::string& sheet);

// COL is a column entry as the windows show it ("B:经度"), else a header text (the first
// column that has it), else column letters ("B"); the column number of the current sheet,
// from 1. Throws a UsageError naming the sheet and the workbook when no column fits.
std::int32_t ColumnNumberOf(const WorksheetSource& source, const std::string& column);

}  // namespace orvane::cli
