#pragma once

// The legend as a picture for the map: a title, then one row per entry with its colour
// swatch, its range or class text, its count and its share. Drawn with Cairo and Pango
// where the build has them; elsewhere drawing it is an error.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conversions/LegendStatistics.h"

namespace orvane {

class TKMLDocument;

// Whether this build can draw the legend image.
bool CanDrawLegendImage();

inline constexpr std::string_view kCannotDrawLegendImage =
    "this build cannot draw the legend image";

// The swatch of the values outside the legend, grey like their styles in the standard layout.
inline constexpr std::int32_t kOutsideLegendColour = 0x808080;

struct LegendImageRow {
    std::int32_t colour = 0;  // a colour number, 0x00BBGGRR
    std::string label;        // the range or class text
    std::string count;        // "12,345"
    std::string share;        // "23.4%"
};

struct LegendImage {
    int width = 0;  // pixels
    int height = 0;
    std::string png;  // the bytes of a PNG file
};

// One row per legend entry with the entry's colour, then the row of the values outside the
// legend when it holds any.
std::vector<LegendImageRow> LegendImageRows(const LegendStatistics& statistics,
                                            std::span<const std::int32_t> colours);

// The picture of `rows` under `title`, sized to its text. The font is found through
// fontconfig, Chinese fonts first, so that Chinese text never shows as boxes where a Chinese
// font is installed. Throws orvane::Error (kCannotDrawLegendImage) where the build cannot draw.
LegendImage DrawLegendImage(std::string_view title, std::span<const LegendImageRow> rows);

// The legend image's file: "legend.png" in a KMZ archive (files/legend.png), "NAME-legend.png"
// beside the KML file NAME.kml.
std::string LegendImageFileName(std::string_view outPath);

// The legend of the figures as an image on the map: a ScreenOverlay at the lower left, named
// by the theme field, whose image the document writes with its file.
void AddLegendOverlay(TKMLDocument& document, std::string_view themeName,
                      std::span<const std::int32_t> colours, const LegendStatistics& statistics);

}  // namespace orvane
