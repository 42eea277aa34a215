#include <array>
#include <string>

#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "LegendOptions.h"
#include "WorkbookOptions.h"
#include "conversions/Cqt2kml.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

// The four columns a CQT table binds, in the order of the window's choices.
constexpr std::array<const char*, 4> kColumnOptions = {"--name", "--lon", "--lat", "--theme"};

std::array<std::string, 4> RequiredColumns(const Arguments& arguments) {
    std::array<std::string, 4> columns;
    for (size_t i = 0; i < kColumnOptions.size(); ++i) {
        const auto value = arguments.Value(kColumnOptions[i]);
        if (!value) {
            throw UsageError(std::string("missing option ") + kColumnOptions[i]);
        }
        columns[i] = *value;
    }
    return columns;
}

}  // namespace

int RunCqt(const std::vector<std::string>& words) {
    std::set<std::string> valued(kColumnOptions.begin(), kColumnOptions.end());
    valued.insert("--sheet");
    valued.insert(kLayoutOption);
    valued.insert(kDigitsOption);
    valued.insert(kLegendValuedOptions.begin(), kLegendValuedOptions.end());
    const Arguments arguments(words, valued, kLegendFlags);
    arguments.ExpectPositional(2);
    const LegendOptions legendOptions = ParseLegendOptions(arguments);
    const std::array<std::string, 4> columns = RequiredColumns(arguments);

    CqtConversionRequest request;
    request.layout = LayoutOf(arguments);
    request.digits = DigitsOf(arguments);
    const std::string input = InputPath(arguments.positional()[0]);
    const std::string& output = arguments.positional()[1];
    request.outPath = output;
    std::vector<std::string> inputs = {input};
    if (legendOptions.scheme) {
        inputs.push_back(legendOptions.colcfg);
    }
    CheckStatsPath(legendOptions, output, inputs);
    CheckLegendImagePath(legendOptions, output, inputs);
    CheckOutputPath(output, inputs);

    WorksheetSource source;
    std::string themeEntry;
    ThemeFieldScan scan = ReadingInput(input, output, [&] {
        source.OpenWorkbook(input);
        if (const auto sheet = arguments.Value("--sheet")) {
            source.SelectSheet(SheetIndexOf(source, *sheet));
        }
        request.source = &source;
        request.nameColumn = ColumnNumberOf(source, columns[0]);
        request.lonColumn = ColumnNumberOf(source, columns[1]);
        request.latColumn = ColumnNumberOf(source, columns[2]);
        request.themeColumn = ColumnNumberOf(source, columns[3]);
        themeEntry = source.columnEntries()[static_cast<size_t>(request.themeColumn - 1)];
        // The theme column is scanned as the window scans it when the column is chosen.
        return ScanCqtThemeColumn(source, request.themeColumn);
    });
    request.legend = ChooseLegend(legendOptions, std::move(scan), themeEntry);

    request.legendFolders = legendOptions.folders;
    request.legendOverlay = legendOptions.overlay;
    LegendStatistics statistics;
    if (legendOptions.stats) {
        request.statistics = &statistics;
    }

    TerminalProgress progress;
    const ConversionSummary summary = ReadingInput(
        input, output, [&] { return ConvertCqtToKml(request, PrintingObserver(progress)); });
    progress.Clear();
    PrintLine(ImportedRowsMessage(summary));
    ReportLegendStatistics(legendOptions, statistics);
    return kSuccess;
}

}  // namespace orvane::cli
