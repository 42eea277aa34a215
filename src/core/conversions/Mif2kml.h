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
struct MifConversionRequest {
    std::string mifPath;
    std::string outPath;
    KmlLayout layout = KmlLayout::Fixed;
};

// The summary counts the Region objects read and the polygons written.
ConversionSummary ConvertMifToKml(const MifConversionRequest& request,
                                  const ConversionObserver& observer = {});

}  // namespace orvane
