#pragma once

// The serving-cell options of orvane-convert dt:
// --cells TABLE [--cells-sheet SHEET] --cells-site COL --cells-lon COL --cells-lat COL
// --cells-azimuth COL [--cells-beamwidth COL] --cell-key LOGFIELD=COL [--cell-key ...]
// [--serving-spacing M] [--overshoot-rank K] [--report FILE.csv]

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "conversions/ServingCells.h"

namespace orvane::cli {

inline const std::set<std::string> kServingValuedOptions = {
    "--cells",           "--cells-sheet",    "--cells-site",      "--cells-lon",
    "--cells-lat",       "--cells-azimuth",  "--cells-beamwidth", "--cell-key",
    "--serving-spacing", "--overshoot-rank", "--report"};

struct CellKeyOption {
    std::string logField;
    std::string column;
};

struct ServingCommandOptions {
    std::string table;
    std::optional<std::string> sheet;
    std::string site;
    std::string longitude;
    std::string latitude;
    std::string azimuth;
    std::optional<std::string> beamwidth;
    std::vector<CellKeyOption> keys;  // one or two
    double spacing = kDefaultServingSpacing;
    int overshootRank = kDefaultOvershootRank;
    std::optional<std::string> report;
};

// Reads and checks the options; nothing without --cells. Every mistake is a UsageError,
// found before any file is read: another serving option without --cells, a missing column,
// a key that is not LOGFIELD=COL, more than two keys, a spacing or rank out of range.
std::optional<ServingCommandOptions> ParseServingOptions(const Arguments& arguments);

// Adds the table to the command's inputs and refuses a report that is the KML output (a usage
// error) or that cannot be written or would replace an input (as CheckOutputPath does).
void CheckServingPaths(const ServingCommandOptions& options, const std::string& output,
                       std::vector<std::string>& inputs);

// The table read as the options bind it. Errors name the workbook and exit with status 1: a
// workbook that cannot be opened, a sheet or column it does not have, no usable row.
CellTable ReadServingTable(const ServingCommandOptions& options);

// The log's key fields, found by `fieldPosition` (which throws a UsageError for a field the
// header lacks); a missing field becomes an orvane::Error naming the log (exit status 1).
std::vector<size_t> KeyFieldPositions(const ServingCommandOptions& options,
                                      const std::function<int(const std::string&)>& fieldPosition);

}  // namespace orvane::cli
