#include "WorkbookOptions.h"

#include <vector>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

std::string CurrentSheetName(const WorksheetSource& source) {
    const std::vector<std::string>& names = source.sheetNames();
    const std::int32_t current = source.currentSheet();
    return current >= 0 && static_cast<size_t>(current) < names.size()
               ? names[static_cast<size_t>(current)]
               : std::string();
}

// Column letters as the entries spell them ("A", "Z", "AA"), in either letter case.
std::int32_t ColumnOfLetters(const WorksheetSource& source, const std::string& letters) {
    std::string upper = letters;
    std::int32_t column = 0;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c < 'A' || c > 'Z' || column > source.columnCount()) {
            return 0;
        }
        column = column * 26 + (c - 'A' + 1);
    }
    if (column < 1 || column > source.columnCount() || ColumnLetters(column - 1) != upper) {
        return 0;
    }
    return column;
}

}  // namespace

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

std::int32_t ColumnOfOption(const WorksheetSource& source, const std::string& column) {
    if (const std::int32_t entry = source.ColumnOf(column); entry != 0) {
        return entry;
    }
    for (std::int32_t c = 1; c <= source.columnCount(); ++c) {
        if (source.CellText(1, c) == column) {
            return c;
        }
    }
    if (const std::int32_t lettered = ColumnOfLetters(source, column); lettered != 0) {
        return lettered;
    }
    throw Error("The sheet \"" + CurrentSheetName(source) + "\" of " + source.path() +
                " has no column \"" + column + "\"");
}

}  // namespace orvane::cli
