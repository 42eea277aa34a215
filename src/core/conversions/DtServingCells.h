#pragma once

// The serving-cell part of the drive-test conversion: after the route, a folder of lines from
// samples to the sites of their serving cells, and a folder of wedges of the cells whose
// samples say that something is wrong with them.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "conversions/ServingCells.h"

namespace orvane {

class DtTextFile;
class LegendClassifier;
class TKMLDocument;
struct ConversionObserver;

inline constexpr std::string_view kServingLinesFolder = "服务小区连线";
inline constexpr std::string_view kProblemCellsFolder = "问题小区";
inline constexpr std::int32_t kServingLineWidth = 1;
inline constexpr double kProblemWedgeMetres = 500;

struct ServingCellOptions {
    const CellTable* cells = nullptr;
    // The log's key fields (0-based), one per key column of the table, in the same order.
    std::vector<size_t> keyFields;
    double spacing = kDefaultServingSpacing;
    int overshootRank = kDefaultOvershootRank;
    // Receives the report when given; its rows point into `cells`.
    ServingCellReport* report = nullptr;
};

// The log's fields the route is drawn from, 0-based.
struct DtRouteFields {
    size_t longitude = 0;
    size_t latitude = 0;
    size_t theme = 0;
};

// The styles of the lines (one per legend entry, as the route's) and of the wedges: added
// with the route's styles.
void AddServingCellStyles(TKMLDocument& document, const LegendClassifier& legend);

// Both folders, after the route. Reports the samples whose cell the table lacks, the table's
// rows left out and each cell called out, through observer.info. Throws "'%s' is not a valid
// floating point value" for a coordinate that is no number.
void WriteServingCells(TKMLDocument& document, const DtTextFile& log, const DtRouteFields& fields,
                       const LegendClassifier& legend, const ServingCellOptions& options,
                       const ConversionObserver& observer);

}  // namespace orvane
