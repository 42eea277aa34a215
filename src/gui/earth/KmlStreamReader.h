#pragma once

// Reads the drawable features of a KML or KMZ file in one pass over its text, straight into
// KmlFeatures: styles (shared, inline and through a style map's normal style), the points,
// lines, rings and polygons of placemarks (also in multi-geometries), folders and times.
// The map's own reader builds an object per coordinate, which for a large route takes most
// of the time the user waits and a multiple of the memory.

#include <QString>
#include <functional>
#include <optional>
#include <stop_token>

#include "earth/KmlFeatures.h"

namespace orvane {

// Told the share of the file read so far, from 0 to 1.
using ReadProgress = std::function<void(double)>;

// Raises "Cannot open file" for a file that cannot be read or is no well-formed KML; empty
// when stopped. What the reader does not draw itself (overlays, links, models, tracks) leaves
// the result's LeftOthers() set.
std::optional<KmlFeatures> ReadKmlFeatures(const QString& path, std::stop_token stop = {},
                                           const ReadProgress& progress = {});

// An xsd:date or xsd:dateTime (with Z, an offset or none, then taken as UTC) in
// milliseconds since 1970; empty when the text is neither.
std::optional<std::int64_t> ParseKmlTime(std::string_view text);

}  // namespace orvane
