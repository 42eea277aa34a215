#include "WorkbookOptions.h"

#include "CommandLine.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "legend/ThematicLegend.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

std::int32_t SheetIndexOf(const WorksheetSource& source, const std::string& sheet) {
    const std::vector<std::string>& names = source.sheetNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == sheet) {
            return static_cast<std::int32_t>(i);
        }
    }
    const auto number = TryParseInteger(sheet);
    if (number && *number >= 1 && static_cast<size_t>(*number) <= names.size()) {
        return *number - 1;
    }
    throw Error("The workbook has no sheet \"" + sheet + "\"");
}

std::int32_t ColumnNumberOf(const WorksheetSource& source, const std::string& column) {
    if (const std::int32_t byEntry = source.ColumnOf(column); byEntry > 0) {
        return byEntry;
    }
    const std::vector<std::string>& entries = source.columnEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string_view entry = entries[i];
        if (entry.substr(entry.find(':') + 1) == column) {
            return static_cast<std::int32_t>(i) + 1;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string_view entry = entries[i];
        const std::string_view letters = entry.substr(0, entry.find(':'));
        if (letters.size() == column.size() && CompareIgnoringCase(letters, column) == 0) {
            return static_cast<std::int32_t>(i) + 1;
        }
    }
    const std::string sheet = source.currentSheet() >= 0
                                  ? source.sheetNames()[static_cast<size_t>(source.currentSheet())]
                                  : std::string();
    throw UsageError("no column '" + column + "' in sheet \"" + sheet + "\" of " + source.path());
}

}  // namespace orvane::cli
