#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "WorkbookOptions.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

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
    WorksheetSource source;
    source.OpenWorkbook(arguments.positional()[0]);
    if (const auto sheet = arguments.Value("--sheet")) {
        source.SelectSheet(SheetIndexOf(source, *sheet));
    }
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
