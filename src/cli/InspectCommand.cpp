#include <string>

#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "common/Kml_baseclass.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

// SHEET is a sheet name, else a number from 1.
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

void PrintCells(const WorksheetSource& source) {
    std::string line;
    for (std::int32_t row = 1; row <= source.rowCount(); ++row) {
        line.clear();
        for (std::int32_t column = 1; column <= source.columnCount(); ++column) {
            if (column > 1) {
                line += '\t';
            }
            line += source.CellText(row, column);
        }
        PrintLine(line);
    }
}

}  // namespace

int RunInspect(const std::vector<std::string>& words) {
    const Arguments arguments(words, {"--sheet"}, {"--cells"});
    arguments.ExpectPositional(1);
    const std::string input = InputPath(arguments.positional()[0]);
    WorksheetSource source;
    ReadingInput(input, {}, [&] {
        source.OpenWorkbook(input);
        if (const auto sheet = arguments.Value("--sheet")) {
            source.SelectSheet(SheetIndexOf(source, *sheet));
        }
    });
    PrintLine("Sheets:");
    for (const std::string& name : source.sheetNames()) {
        PrintLine("  " + name);
    }
    PrintLine("Sheet: " + source.sheetNames()[static_cast<size_t>(source.currentSheet())]);
    PrintLine("rowCount: " + std::to_string(source.rowCount()));
    PrintLine("columnCount: " + std::to_string(source.columnCount()));
    PrintLine("Columns:");
    for (const std::string& entry : source.columnEntries()) {
        PrintLine("  " + entry);
    }
    if (arguments.Flag("--cells")) {
        PrintLine("Cells:");
        PrintCells(source);
    }
    return kSuccess;
}

}  // namespace orvane::cli
