#include <cmath>

#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "WorkbookOptions.h"
#include "common/Kml_baseclass.h"
#include "conversions/Bs2kml.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

struct BsOptions {
    std::string site;
    std::string lon;
    std::string lat;
    std::string azimuth;
    std::optional<std::string> beamwidth;
    std::optional<std::string> sheet;
};

std::string RequiredColumn(const Arguments& arguments, const std::string& option) {
    const auto value = arguments.Value(option);
    if (!value) {
        throw UsageError("missing " + option + " COL");
    }
    if (value->empty()) {
        throw UsageError(option + " needs a column");
    }
    return *value;
}

std::optional<double> RadiusMetres(const Arguments& arguments) {
    const auto text = arguments.Value("--metres");
    if (!text) {
        return std::nullopt;
    }
    const auto metres = TryParseNumber(*text);
    if (!metres || !(*metres > 0) || *metres > kMaxRadiusMetres) {
        throw UsageError("--metres takes a positive number of metres up to 100000");
    }
    return metres;
}

// Binds a column option as the window binds a choice: the column and the entry it shows.
void Bind(const WorksheetSource& source, const std::string& option, std::int32_t& column,
          std::string& entry) {
    column = ColumnNumberOf(source, option);
    entry = source.columnEntries()[static_cast<size_t>(column - 1)];
}

}  // namespace

int RunBs(const std::vector<std::string>& words) {
    const Arguments arguments(words,
                              {"--site", "--lon", "--lat", "--azimuth", "--sheet", "--radius",
                               "--beamwidth", "--metres", kLayoutOption, kDigitsOption},
                              {});
    arguments.ExpectPositional(2);
    BsOptions options;
    options.site = RequiredColumn(arguments, "--site");
    options.lon = RequiredColumn(arguments, "--lon");
    options.lat = RequiredColumn(arguments, "--lat");
    options.azimuth = RequiredColumn(arguments, "--azimuth");
    if (arguments.Value("--beamwidth")) {
        options.beamwidth = RequiredColumn(arguments, "--beamwidth");
    }
    options.sheet = arguments.Value("--sheet");
    BsConversionRequest request;
    request.sectorRadius = arguments.IntegerValue("--radius", kMinSectorRadius, kMaxSectorRadius)
                               .value_or(kDefaultSectorRadius);
    request.radiusMetres = RadiusMetres(arguments);
    if (request.radiusMetres && arguments.Value("--radius")) {
        throw UsageError("--radius and --metres exclude each other");
    }
    request.layout = LayoutOf(arguments);
    request.digits = DigitsOf(arguments);
    const std::string input = InputPath(arguments.positional()[0]);
    request.outPath = arguments.positional()[1];
    CheckOutputPath(request.outPath, {input});

    TerminalProgress progress;
    WorksheetSource source;
    const ConversionSummary summary = ReadingInput(input, request.outPath, [&] {
        source.OpenWorkbook(input);
        if (options.sheet) {
            source.SelectSheet(SheetIndexOf(source, *options.sheet));
        }
        request.source = &source;
        Bind(source, options.site, request.siteNameColumn, request.siteNameEntry);
        Bind(source, options.lon, request.lonColumn, request.lonEntry);
        Bind(source, options.lat, request.latColumn, request.latEntry);
        Bind(source, options.azimuth, request.azimuthColumn, request.azimuthEntry);
        if (options.beamwidth) {
            Bind(source, *options.beamwidth, request.beamwidthColumn, request.beamwidthEntry);
        }
        return ConvertBsToKml(request, PrintingObserver(progress));
    });
    progress.Clear();
    PrintLine(ImportedRowsMessage(summary));
    return kSuccess;
}

}  // namespace orvane::cli
