#include "ServingOptions.h"

#include "CommandFiles.h"
#include "WorkbookOptions.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "workbooks/WorksheetSource.h"

namespace orvane::cli {

namespace {

constexpr size_t kMaxCellKeys = 2;

std::string RequiredColumn(const Arguments& arguments, const std::string& option) {
    const auto value = arguments.Value(option);
    if (!value) {
        throw UsageError("--cells needs " + option + " COL");
    }
    return *value;
}

CellKeyOption KeyOption(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        throw UsageError("--cell-key takes LOGFIELD=COL, not '" + text + "'");
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

double Spacing(const Arguments& arguments) {
    const auto text = arguments.Value("--serving-spacing");
    if (!text) {
        return kDefaultServingSpacing;
    }
    const auto metres = TryParseNumber(*text);
    if (!metres || !(*metres >= 0) || *metres > kMaxServingSpacing) {
        throw UsageError("--serving-spacing takes metres from 0 to 100000");
    }
    return *metres;
}

// Runs work that reads the table; its errors name the table and are no usage errors, since
// the table had to be read to find them.
template <typename Work>
decltype(auto) ReadingTable(const std::string& table, Work&& work) {
    try {
        return ReadingInput(table, std::string(), std::forward<Work>(work));
    } catch (const UsageError& error) {
        throw Error(table + ": " + error.what());
    }
}

}  // namespace

std::optional<ServingCommandOptions> ParseServingOptions(const Arguments& arguments) {
    const auto table = arguments.Value("--cells");
    if (!table) {
        for (const std::string& option : kServingValuedOptions) {
            if (arguments.Value(option)) {
                throw UsageError(option + " needs --cells TABLE");
            }
        }
        return std::nullopt;
    }
    ServingCommandOptions options;
    options.table = InputPath(*table);
    options.sheet = arguments.Value("--cells-sheet");
    options.site = RequiredColumn(arguments, "--cells-site");
    options.longitude = RequiredColumn(arguments, "--cells-lon");
    options.latitude = RequiredColumn(arguments, "--cells-lat");
    options.azimuth = RequiredColumn(arguments, "--cells-azimuth");
    options.beamwidth = arguments.Value("--cells-beamwidth");
    for (const std::string& key : arguments.Values("--cell-key")) {
        options.keys.push_back(KeyOption(key));
    }
    if (options.keys.empty() || options.keys.size() > kMaxCellKeys) {
        throw UsageError("--cells needs one or two --cell-key LOGFIELD=COL");
    }
    options.spacing = Spacing(arguments);
    options.overshootRank = arguments.IntegerValue("--overshoot-rank", 1, kMaxOvershootRank)
                                .value_or(kDefaultOvershootRank);
    options.report = arguments.Value("--report");
    return options;
}

void CheckServingPaths(const ServingCommandOptions& options, const std::string& output,
                       std::vector<std::string>& inputs) {
    inputs.push_back(options.table);
    if (!options.report) {
        return;
    }
    if (*options.report == output) {
        throw UsageError("--report needs a file other than the KML output");
    }
    std::vector<std::string> others = inputs;
    others.push_back(output);
    CheckOutputPath(*options.report, others);
}

CellTable ReadServingTable(const ServingCommandOptions& options) {
    return ReadingTable(options.table, [&] {
        WorksheetSource source;
        source.OpenWorkbook(options.table);
        if (options.sheet) {
            source.SelectSheet(SheetIndexOf(source, *options.sheet));
        }
        CellTableColumns columns;
        columns.site = ColumnNumberOf(source, options.site);
        columns.longitude = ColumnNumberOf(source, options.longitude);
        columns.latitude = ColumnNumberOf(source, options.latitude);
        columns.azimuth = ColumnNumberOf(source, options.azimuth);
        if (options.beamwidth) {
            columns.beamwidth = ColumnNumberOf(source, *options.beamwidth);
        }
        for (const CellKeyOption& key : options.keys) {
            columns.keys.push_back(ColumnNumberOf(source, key.column));
        }
        return CellTable::Read(source, columns);
    });
}

std::vector<size_t> KeyFieldPositions(const ServingCommandOptions& options,
                                      const std::function<int(const std::string&)>& fieldPosition) {
    std::vector<size_t> positions;
    for (const CellKeyOption& key : options.keys) {
        try {
            positions.push_back(static_cast<size_t>(fieldPosition(key.logField)));
        } catch (const UsageError& error) {
            throw Error(error.what());
        }
    }
    return positions;
}

}  // namespace orvane::cli
