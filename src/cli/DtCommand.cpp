#include <map>

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

void UseGrading(ThematicLegend& legend, const std::string& field, const Arguments& arguments) {
    if (!legend.scan.canGrade) {
        throw Error("The field '" + field +
                    "' holds values that are no numbers and cannot be graded");
    }
    legend.kind = LegendKind::Grading;
    legend.gradeEntries = ComputeDefaultGrading(legend.scan, legend.gradeCount);
    if (const auto scheme = arguments.Value("--scheme")) {
        const std::string path = arguments.Value("--colcfg").value_or(DefaultColourConfigPath());
        if (!LoadScheme(path, *scheme, legend.gradeEntries)) {
            throw Error("No colour scheme named '" + *scheme + "' in " + path);
        }
        legend.gradeCount = static_cast<int>(legend.gradeEntries.size());
    }
}

// The legend the window would offer: grading when the field can be graded, else
// classification; or what the options ask for.
ThematicLegend ChooseLegend(const Arguments& arguments, ThemeFieldScan scan,
                            const std::string& field) {
    if (arguments.Flag("--classify") &&
        (arguments.Value("--grades") || arguments.Value("--scheme"))) {
        throw UsageError("--classify goes with neither --grades nor --scheme");
    }
    if (arguments.Value("--colcfg") && !arguments.Value("--scheme")) {
        throw UsageError("--colcfg goes with --scheme");
    }
    if (!scan.canGrade && !scan.canClassify) {
        throw Error("The field '" + field + "' can be neither classified (more than " +
                    std::to_string(MaxClassCount) +
                    " distinct values) nor graded (values that are no numbers)");
    }
    ThematicLegend legend;
    legend.scan = std::move(scan);
    legend.gradeCount = arguments.IntegerValue("--grades", MinGradeCount, MaxGradeCount)
                            .value_or(DefaultGradeCount);
    legend.boundaryMode = BoundaryOf(arguments);
    const bool grading =
        !arguments.Flag("--classify") && (legend.scan.canGrade || arguments.Value("--grades") ||
                                          arguments.Value("--scheme") || !legend.scan.canClassify);
    if (grading) {
        UseGrading(legend, field, arguments);
    } else {
        UseClassification(legend, field);
    }
    return legend;
}

void PrepareFromLog(const Arguments& arguments, DtConversionRequest& request) {
    const DtTextFile file = DtTextFile::Read(request.dtPath);
    const std::vector<std::string> names = file.HeaderNames();
    const PositionColumns detected = DetectPositionColumns(names);
    request.lonColumn = ColumnOption(arguments, "--lon", names, request.dtPath,
                                     static_cast<int>(detected.longitude));
    request.latColumn = ColumnOption(arguments, "--lat", names, request.dtPath,
                                     static_cast<int>(detected.latitude));
    request.themeColumn = ColumnOption(arguments, "--theme", names, request.dtPath, 0);
    const std::string themeName =
        names.empty() ? std::string() : names[static_cast<size_t>(request.themeColumn)];
    request.legend = ChooseLegend(
        arguments,
        ScanThemeField(file.Values(static_cast<size_t>(request.themeColumn)), DtNumberTest),
        themeName);
}

}  // namespace

int RunDt(const std::vector<std::string>& words) {
    const Arguments arguments(words,
                              {"--lon", "--lat", "--theme", "--grades", "--boundary", "--scheme",
                               "--colcfg", "--width", "--break", kLayoutOption},
                              {"--classify"});
    arguments.ExpectPositional(2);
    DtConversionRequest request;
    request.dtPath = arguments.positional()[0];
    request.outPath = arguments.positional()[1];
    request.layout = LayoutOf(arguments);
    request.lineWidth = arguments.IntegerValue("--width", 1, 10).value_or(4);
    request.breakDistance = arguments.IntegerValue("--break", 1, 200).value_or(20);

    // The log is read here for its header and the theme scan, as the window does when a
    // file and field are chosen; the conversion reads it again.
    PrepareFromLog(arguments, request);

    TerminalProgress progress;
    ConvertDtToKml(request, PrintingObserver(progress));
    progress.Clear();
    PrintLine("导出完成.");
    return kSuccess;
}

}  // namespace orvane::cli
