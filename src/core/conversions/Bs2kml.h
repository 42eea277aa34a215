#pragma once

// A base-station table as site icons and sector wedges. Each row of the worksheet is one
// sector; consecutive rows with the same longitude and latitude texts form one site, whose
// icon carries every column of its rows and whose wedges point along the rows' azimuths.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "conversions/Conversion.h"
#include "kml/Tkmldocument.h"

namespace orvane {

class WorksheetSource;

inline constexpr std::int32_t kMinSectorRadius = 1;  // seconds of arc
inline constexpr std::int32_t kMaxSectorRadius = 100;
inline constexpr std::int32_t kDefaultSectorRadius = 2;
inline constexpr std::int32_t kMinBeamwidth = 1;  // degrees
inline constexpr std::int32_t kMaxBeamwidth = 360;
inline constexpr std::int32_t kDefaultBeamwidth = 45;
inline constexpr double kMaxRadiusMetres = 100000;

struct BsConversionRequest {
    // The workbook with its current sheet; read from row 2 to its rowCount.
    const WorksheetSource* source = nullptr;
    // Columns from 1, each the column of the entry its choice shows.
    std::int32_t siteNameColumn = 0;
    std::int32_t lonColumn = 0;
    std::int32_t latColumn = 0;
    std::int32_t azimuthColumn = 0;
    // The entries the four choices show ("C:纬度"), as the skipped-row report names them.
    std::string siteNameEntry;
    std::string lonEntry;
    std::string latEntry;
    std::string azimuthEntry;
    std::string outPath;
    // The standard layout writes two folders: "基站", one point per site, and "扇区", one
    // wedge per sector named "SITE-AZIMUTH°" ("SITE-全向" when omnidirectional) with its row
    // as data.
    KmlLayout layout = KmlLayout::Fixed;
    int digits = 0;                                    // coordinate decimals; 0: as computed
    std::int32_t sectorRadius = kDefaultSectorRadius;  // seconds of arc

    // Beyond the usual wedge, both unused by default:
    // the column holding each sector's beamwidth in whole degrees (0: every wedge 45
    // degrees), with the entry its choice shows;
    std::int32_t beamwidthColumn = 0;
    std::string beamwidthEntry;
    // a radius in metres on the ground, longitude offsets widened by 1 / cos(latitude) so
    // that wedges keep their true shape; unset: sectorRadius seconds of arc on both axes.
    std::optional<double> radiusMetres;
};

// Writes the KML file; the summary counts the rows read, the sites written and the rows
// reported. Information lines (the report of every row left out for an empty bound cell, and
// of every row whose beamwidth falls back to 45 degrees) go to observer.info, progress once
// per row to observer.progress. Throws orvane::Error: "Cannot open file %s" without an open
// workbook, "'%s' is not a valid integer value" for an azimuth that is no whole number, "List
// index out of bounds (%d)" for a column outside the sheet, the workbook's errors, "Cannot
// create file %s". On error an existing output file is left as it was.
ConversionSummary ConvertBsToKml(const BsConversionRequest& request,
                                 const ConversionObserver& observer = {});

}  // namespace orvane
