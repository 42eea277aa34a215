#pragma once

// The workbook options of orvane-convert: SHEET and COL as the windows would show them.

#include <cstdint>
#include <string>

namespace orvane {
class WorksheetSource;
}

namespace orvane::cli {

// SHEET is a sheet name, else a number from 1. Throws orvane::Error naming the workbook
// when it has no such sheet.
std::int32_t SheetIndexOf(const WorksheetSource& source, const std::string& sheet);

// COL is a column entry of the current sheet as the windows show it ("B:经度"), else a
// header text (the first column that has it), else column letters ("B"). Returns the
// column from 1; throws orvane::Error naming the workbook and sheet when none matches.
std::int32_t ColumnOfOption(const WorksheetSource& source, const std::string& column);

}  // namespace orvane::cli
