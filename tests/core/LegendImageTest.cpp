#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "conversions/LegendImage.h"

namespace orvane {
namespace {

struct PngReader {
    std::string_view rest;
    static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
        auto& reader = *static_cast<PngReader*>(closure);
        if (reader.rest.size() < length) {
            return CAIRO_STATUS_READ_ERROR;
        }
        std::memcpy(data, reader.rest.data(), length);
        reader.rest.remove_prefix(length);
        return CAIRO_STATUS_SUCCESS;
    }
};

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface DecodePng(const std::string& png) {
    PngReader reader{png};
    return {cairo_image_surface_create_from_png_stream(&PngReader::Read, &reader),
            &cairo_surface_destroy};
}

// Opaque pixels of the colour number (0x00BBGGRR) in a decoded image.
int PixelsOf(cairo_surface_t* surface, std::int32_t colour) {
    const std::uint32_t wanted =
        0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int count = 0;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            data + y * cairo_image_surface_get_stride(surface));
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
            count += row[x] == wanted ? 1 : 0;
        }
    }
    return count;
}

TEST(LegendImage, OneRowPerEntryEachWithASwatchOfItsColourSizedAsTheKmlSays) {
    LegendStatistics statistics{.rows = {{.label = "-100 ≤ x < -85", .count = 3},
                                         {.label = "-85 ≤ x ≤ -60", .count = 1},
                                         {.label = std::string(kOutsideLegend), .count = 1}},
                                .total = 5};
    const std::int32_t colours[] = {0x0000FF, 0xFF8000};  // red; a blue whose order shows
    const std::vector<LegendImageRow> rows = LegendImageRows(statistics, colours);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].count + " " + rows[0].share, "3 60.0%");
    EXPECT_EQ(rows[2].colour, kOutsideLegendColour);

    const LegendImage image = DrawLegendImage("场强", rows);
    const Surface decoded = DecodePng(image.png);
    ASSERT_EQ(cairo_surface_status(decoded.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(decoded.get()), image.width);
    EXPECT_EQ(cairo_image_surface_get_height(decoded.get()), image.height);
    constexpr int kSwatch = 24 * 14;
    for (const std::int32_t colour : {0x0000FF, 0xFF8000, kOutsideLegendColour}) {
        EXPECT_EQ(PixelsOf(decoded.get(), colour), kSwatch) << colour;
    }

    // Without values outside the legend their row is left out, and the image is shorter.
    statistics.rows.back().count = 0;
    EXPECT_EQ(LegendImageRows(statistics, colours).size(), 2u);
    EXPECT_LT(DrawLegendImage("场强", LegendImageRows(statistics, colours)).height, image.height);
    EXPECT_EQ(LegendImageFileName("out/a.b/route.kml"), "route-legend.png");
    EXPECT_EQ(LegendImageFileName("out/route.KMZ"), "legend.png");
}

}  // namespace
}  // namespace orvane
