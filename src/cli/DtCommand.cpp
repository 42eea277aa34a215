#include <map>

#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "common/Errors.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"
#include "legend/Colcfg.h"

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

// What the command line asks of the legend; every mistake in it is found before the log is
// read.
struct LegendOptions {
    bool classify = false;
    std::optional<int> grades;
    BoundaryMode boundary = BoundaryMode::LeftInclusive;
    std::optional<std::string> scheme;
    std::string colcfg;  // with a scheme only
};

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

LegendOptions ReadLegendOptions(const Arguments& arguments) {
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
    return options;
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

// The legend the window would offer: grading when the field can be graded, else
// classification; or what the options ask for.
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
    const Arguments arguments(words,
                              {"--lon", "--lat", "--theme", "--grades", "--boundary", "--scheme",
                               "--colcfg", "--width", "--break", kLayoutOption},
                              {"--classify"});
    arguments.ExpectPositional(2);
    const LegendOptions options = ReadLegendOptions(arguments);
    DtConversionRequest request;
    request.dtPath = InputPath(arguments.positional()[0]);
    request.outPath = arguments.positional()[1];
    request.layout = LayoutOf(arguments);
    request.lineWidth = arguments.IntegerValue("--width", 1, 10).value_or(4);
    request.breakDistance = arguments.IntegerValue("--break", 1, 200).value_or(20);
    std::vector<std::string> inputs = {request.dtPath};
    if (options.scheme) {
        inputs.push_back(options.colcfg);
    }
    CheckOutputIsNoInput(request.outPath, inputs);

    // Read once: the header and the theme scan come from the same text that is converted,
    // so that a log coming through a pipe works.
    const DtTextFile log = ReadingInput(request.dtPath, request.outPath,
                                        [&] { return DtTextFile::Read(request.dtPath); });
    PrepareFromLog(arguments, options, log, request);

    TerminalProgress progress;
    ReadingInput(request.dtPath, request.outPath,
                 [&] { ConvertDtToKml(request, log, PrintingObserver(progress)); });
    progress.Clear();
    PrintLine("导出完成.");
    return kSuccess;
}

}  // namespace orvane::cli
