#pragma once

// The regions of a MapInfo MIF file as red-outlined KML polygons.

#include <string>

#include "conversions/Conversion.h"
#include "kml/Tkmldocument.h"

namespace orvane {

// Reads the MIF file (UTF-8 or GBK) and writes one polygon placemark per polygon of every
// Region object. Errors: "Cannot open file %s" (MIF unreadable), "List index out of bounds
// (%d)" (no "Data" line, a region cut short), "'%s' is not a valid integer value" (a count
// that is no integer), "Cannot create file %s" (output not written). On error an existing
// output file is left as it was. The file is read and written as the conversion goes, so a
// file of any size needs little memory; a .kmz output path writes a KMZ archive.
//
// The standard layout writes one placemark per region: a ring inside another ring of the
// same region is a hole of it (even-odd nesting), the others are polygons of a MultiGeometry.
// Each region carries its row of the .mid file beside the MIF as data and is named by
// `nameColumn` (a column the MIF declares, in any letter case; by default its first Char
// column). A missing or short .mid file is reported through observer.info, and the regions
// without a row are named "Region". Error: "The MIF file has no column \"%s\"".
struct MifConversionRequest {
    std::string mifPath;
    std::string outPath;
    KmlLayout layout = KmlLayout::Fixed;
    std::string nameColumn = {};  // standard layout only
    int digits = 0;               // coordinate decimals; 0: as they stand
};

// The summary counts the Region objects read and the polygons written (the regions, in the
// standard layout).
ConversionSummary ConvertMifToKml(const MifConversionRequest& request,
                                  const ConversionObserver& observer = {});

}  // namespace orvane
