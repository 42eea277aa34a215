#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "LegendOptions.h"
#include "ServingOptions.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"

namespace orvane::cli {

namespace {

// The position of a header name: an exact match first, then one ignoring letter case.
int FieldPosition(const std::vector<std::string>& names, const std::string& wanted,
                  const std::string& path) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) {
            return static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (CompareIgnoringCase(names[i], wanted) == 0) {
            return static_cast<int>(i);
        }
    }
    throw UsageError("no field named '" + wanted + "' in the header of " + path);
}

int ColumnOption(const Arguments& arguments, const std::string& option,
                 const std::vector<std::string>& names, const std::string& path, int fallback) {
    const auto name = arguments.Value(option);
    return name ? FieldPosition(names, *name, path) : fallback;
}

// The columns and the legend, from the log's header and the theme field's values, as the
// window finds them when a file and a field are chosen.
void PrepareFromLog(const Arguments& arguments, const LegendOptions& options, const DtTextFile& log,
                    DtConversionRequest& request) {
    const std::vector<std::string> names =
        ReadingInput(request.dtPath, request.outPath, [&] { return log.HeaderNames(); });
    const PositionColumns detected = DetectPositionColumns(names);
    request.lonColumn = ColumnOption(arguments, "--lon", names, request.dtPath,
                                     static_cast<int>(detected.longitude));
    request.latColumn = ColumnOption(arguments, "--lat", names, request.dtPath,
                                     static_cast<int>(detected.latitude));
    request.themeColumn = ColumnOption(arguments, "--theme", names, request.dtPath, 0);
    const std::string themeName =
        names.empty() ? std::string() : names[static_cast<size_t>(request.themeColumn)];
    request.legend = ChooseLegend(
        options, ScanThemeField(log.Values(static_cast<size_t>(request.themeColumn)), DtNumberTest),
        themeName);
}

}  // namespace

int RunDt(const std::vector<std::string>& words) {
    std::set<std::string> valued = {"--lon",   "--lat",       "--theme",    "--width",
                                    "--break", kLayoutOption, kDigitsOption};
    valued.insert(kLegendValuedOptions.begin(), kLegendValuedOptions.end());
    valued.insert(kServingValuedOptions.begin(), kServingValuedOptions.end());
    std::set<std::string> flags = kLegendFlags;
    flags.insert("--merge-lines");
    const Arguments arguments(words, valued, flags);
    arguments.ExpectPositional(2);
    const LegendOptions options = ParseLegendOptions(arguments);
    const std::optional<ServingCommandOptions> servingOptions = ParseServingOptions(arguments);
    DtConversionRequest request;
    request.dtPath = InputPath(arguments.positional()[0]);
    request.outPath = arguments.positional()[1];
    request.layout = LayoutOf(arguments);
    request.digits = DigitsOf(arguments);
    request.lineWidth =
        arguments.IntegerValue("--width", kMinLineWidth, kMaxLineWidth).value_or(kDefaultLineWidth);
    request.breakDistance = arguments.IntegerValue("--break", kMinBreakDistance, kMaxBreakDistance)
                                .value_or(kDefaultBreakDistance);
    std::vector<std::string> inputs = {request.dtPath};
    if (options.scheme) {
        inputs.push_back(options.colcfg);
    }
    if (servingOptions) {
        CheckServingPaths(*servingOptions, request.outPath, inputs);
    }
    CheckStatsPath(options, request.outPath, inputs);
    CheckLegendImagePath(options, request.outPath, inputs);
    CheckOutputPath(request.outPath, inputs);
    std::optional<CellTable> cells;
    if (servingOptions) {
        cells.emplace(ReadServingTable(*servingOptions));
    }

    // Read once: the header and the theme scan come from the same text that is converted,
    // so that a log coming through a pipe works.
    const DtTextFile log = ReadingInput(request.dtPath, request.outPath,
                                        [&] { return DtTextFile::Read(request.dtPath); });
    PrepareFromLog(arguments, options, log, request);
    request.log = &log;
    ServingCellReport report;
    if (servingOptions) {
        const std::vector<std::string> names = log.HeaderNames();
        request.serving = ServingCellOptions{
            .cells = &*cells,
            .keyFields = KeyFieldPositions(*servingOptions,
                                           [&](const std::string& field) {
                                               return FieldPosition(names, field, request.dtPath);
                                           }),
            .spacing = servingOptions->spacing,
            .overshootRank = servingOptions->overshootRank,
            .report = &report};
    }

    request.legendFolders = options.folders;
    request.mergeLines = arguments.Flag("--merge-lines");
    request.legendOverlay = options.overlay;
    LegendStatistics statistics;
    if (options.stats) {
        request.statistics = &statistics;
    }

    TerminalProgress progress;
    ReadingInput(request.dtPath, request.outPath,
                 [&] { ConvertDtToKml(request, PrintingObserver(progress)); });
    progress.Clear();
    if (servingOptions && servingOptions->report) {
        WriteServingReportCsv(*servingOptions->report, report);
        PrintLine("小区统计已导出：" + *servingOptions->report);
    }
    PrintLine("导出完成.");
    ReportLegendStatistics(options, statistics);
    return kSuccess;
}

}  // namespace orvane::cli
