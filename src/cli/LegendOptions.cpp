#include "LegendOptions.h"

#include <map>

#include "CommandFiles.h"
#include "common/CsvText.h"
#include "common/Errors.h"
#include "conversions/LegendImage.h"
#include "kml/KmlOutput.h"
#include "legend/Colcfg.h"

namespace orvane::cli {

namespace {

BoundaryMode BoundaryOf(const Arguments& arguments) {
    static const std::map<std::string, BoundaryMode> kModes = {
        {"left", BoundaryMode::LeftInclusive},
        {"right", BoundaryMode::RightInclusive},
        {"both", BoundaryMode::BothInclusive}};
    const auto found = kModes.find(arguments.Value("--boundary").value_or("left"));
    if (found == kModes.end()) {
        throw UsageError("--boundary takes left, right or both");
    }
    return found->second;
}

void UseClassification(ThematicLegend& legend, const std::string& field) {
    if (!legend.scan.canClassify) {
        throw Error("The field '" + field + "' has more than " + std::to_string(MaxClassCount) +
                    " distinct values and cannot be classified");
    }
    legend.kind = LegendKind::Classification;
    legend.classEntries = FillClassification(legend.scan);
}

void UseGrading(ThematicLegend& legend, const std::string& field, const LegendOptions& options) {
    if (!legend.scan.canGrade) {
        throw Error("The field '" + field +
                    "' holds values that are no numbers and cannot be graded");
    }
    legend.kind = LegendKind::Grading;
    if (!options.scheme) {
        legend.gradeEntries = ComputeDefaultGrading(legend.scan, legend.gradeCount);
        return;
    }
    // The scheme's rows alone: a row it lacks is an error naming the scheme, not a row of
    // the default grading left in its place.
    auto rows = ReadSchemeRows(options.colcfg, *options.scheme);
    if (!rows) {
        throw Error("No colour scheme named '" + *options.scheme + "' in " + options.colcfg);
    }
    legend.gradeEntries = std::move(*rows);
    legend.gradeCount = static_cast<int>(legend.gradeEntries.size());
}

}  // namespace

LegendOptions ParseLegendOptions(const Arguments& arguments) {
    LegendOptions options;
    options.classify = arguments.Flag("--classify");
    options.grades = arguments.IntegerValue("--grades", MinGradeCount, MaxGradeCount);
    options.boundary = BoundaryOf(arguments);
    options.scheme = arguments.Value("--scheme");
    if (options.classify && (options.grades || options.scheme)) {
        throw UsageError("--classify goes with neither --grades nor --scheme");
    }
    const auto colcfg = arguments.Value("--colcfg");
    if (colcfg && !options.scheme) {
        throw UsageError("--colcfg goes with --scheme");
    }
    if (options.scheme) {
        options.colcfg = colcfg.value_or(DefaultColourConfigPath());
    }
    options.folders = arguments.Flag("--legend-folders");
    options.stats = arguments.Value("--stats");
    options.overlay = arguments.Flag("--legend-overlay");
    if (options.overlay && !CanDrawLegendImage()) {
        throw UsageError("--legend-overlay: " + std::string(kCannotDrawLegendImage));
    }
    return options;
}

ThematicLegend ChooseLegend(const LegendOptions& options, ThemeFieldScan scan,
                            const std::string& field) {
    if (!scan.canGrade && !scan.canClassify) {
        throw Error("The field '" + field + "' can be neither classified (more than " +
                    std::to_string(MaxClassCount) +
                    " distinct values) nor graded (values that are no numbers)");
    }
    ThematicLegend legend;
    legend.scan = std::move(scan);
    legend.gradeCount = options.grades.value_or(DefaultGradeCount);
    legend.boundaryMode = options.boundary;
    const bool grading = !options.classify && (legend.scan.canGrade || options.grades ||
                                               options.scheme || !legend.scan.canClassify);
    if (grading) {
        UseGrading(legend, field, options);
    } else {
        UseClassification(legend, field);
    }
    return legend;
}

void CheckStatsPath(const LegendOptions& options, const std::string& output,
                    const std::vector<std::string>& inputs) {
    if (!options.stats) {
        return;
    }
    if (*options.stats == output) {
        throw UsageError("--stats needs a file other than the KML output");
    }
    std::vector<std::string> others = inputs;
    others.push_back(output);
    CheckOutputPath(*options.stats, others);
}

void CheckLegendImagePath(const LegendOptions& options, const std::string& output,
                          const std::vector<std::string>& inputs) {
    if (!options.overlay || IsKmzPath(output)) {
        return;
    }
    const std::string folder = output.substr(0, output.find_last_of("/\\") + 1);
    CheckOutputPath(folder + LegendImageFileName(output), inputs);
}

void ReportLegendStatistics(const LegendOptions& options, const LegendStatistics& statistics) {
    if (!options.stats) {
        return;
    }
    for (const LegendStatisticsRow& row : statistics.rows) {
        PrintLine(LegendRowReport(statistics, row));
    }
    WriteCsvFile(*options.stats, LegendStatisticsCsv(statistics));
    PrintLine("图例统计已导出：" + *options.stats);
}

}  // namespace orvane::cli
