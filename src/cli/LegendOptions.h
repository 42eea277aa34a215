#pragma once

// The legend options shared by the commands that colour by a theme field:
// [--classify | --grades N] [--boundary left|right|both] [--scheme NAME [--colcfg FILE]],
// and what is written about the legend: [--legend-folders] [--stats FILE.csv]
// [--legend-overlay].

#include <optional>
#include <set>
#include <string>

#include "CommandLine.h"
#include "conversions/LegendStatistics.h"
#include "legend/ThematicLegend.h"

namespace orvane::cli {

inline const std::set<std::string> kLegendValuedOptions = {"--grades", "--boundary", "--scheme",
                                                           "--colcfg", "--stats"};
inline const std::set<std::string> kLegendFlags = {"--classify", "--legend-folders",
                                                   "--legend-overlay"};

struct LegendOptions {
    bool classify = false;
    std::optional<int> grades;
    BoundaryMode boundary = BoundaryMode::LeftInclusive;
    std::optional<std::string> scheme;
    std::string colcfg;  // with a scheme only: --colcfg, else the usual ColCfg.col
    bool folders = false;
    std::optional<std::string> stats;  // the CSV file of the legend's figures
    bool overlay = false;              // the legend as an image on the map
};

// Reads and checks the options; every mistake is a UsageError, found before any file is read.
LegendOptions ParseLegendOptions(const Arguments& arguments);

// The legend the window would offer for the scanned field: grading when the field can be
// graded, else classification; or what the options ask for. Throws orvane::Error when the
// field allows no such legend, or the scheme is not in the colour configuration file or
// lacks a bound or a colour (naming the scheme and the row).
ThematicLegend ChooseLegend(const LegendOptions& options, ThemeFieldScan scan,
                            const std::string& field);

// Refuses a statistics file that is the output or an input, before anything is read.
void CheckStatsPath(const LegendOptions& options, const std::string& output,
                    const std::vector<std::string>& inputs);

// Refuses a legend image beside a KML output that cannot be written there or is an input,
// before anything is read.
void CheckLegendImagePath(const LegendOptions& options, const std::string& output,
                          const std::vector<std::string>& inputs);

// With --stats, after the summary: one line per legend row, then the CSV file written.
void ReportLegendStatistics(const LegendOptions& options, const LegendStatistics& statistics);

}  // namespace orvane::cli
