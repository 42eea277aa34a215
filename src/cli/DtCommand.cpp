#include "CommandLine.h"
#include "Commands.h"
#include "LegendOptions.h"
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

void PrepareFromLog(const Arguments& arguments, const LegendOptions& legendOptions,
                    DtConversionRequest& request) {
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
        legendOptions,
        ScanThemeField(file.Values(static_cast<size_t>(request.themeColumn)), DtNumberTest),
        themeName);
}

}  // namespace

int RunDt(const std::vector<std::string>& words) {
    std::set<std::string> valued = {"--lon", "--lat", "--theme", "--width", "--break"};
    valued.insert(kLegendValuedOptions.begin(), kLegendValuedOptions.end());
    const Arguments arguments(words, valued, kLegendFlags);
    arguments.ExpectPositional(2);
    const LegendOptions legendOptions = ParseLegendOptions(arguments);
    DtConversionRequest request;
    request.dtPath = arguments.positional()[0];
    request.outPath = arguments.positional()[1];
    request.lineWidth = arguments.IntegerValue("--width", 1, 10).value_or(4);
    request.breakDistance = arguments.IntegerValue("--break", 1, 200).value_or(20);

    // The log is read here for its header and the theme scan, as the window does when a
    // file and field are chosen; the conversion reads it again.
    PrepareFromLog(arguments, legendOptions, request);

    TerminalProgress progress;
    ConvertDtToKml(request, PrintingObserver(progress));
    progress.Clear();
    PrintLine("导出完成.");
    return kSuccess;
}

}  // namespace orvane::cli
