#include "conversions/LegendImage.h"

#include <algorithm>

#include "common/Errors.h"
#include "kml/KmlOutput.h"
#include "kml/Tkmldocument.h"

#ifdef ORVANE_HAVE_LEGEND_IMAGE
#include <cairo.h>
#include <pango/pangocairo.h>

#include <array>
#include <memory>
#endif

namespace orvane {

std::vector<LegendImageRow> LegendImageRows(const LegendStatistics& statistics,
                                            std::span<const std::int32_t> colours) {
    std::vector<LegendImageRow> rows;
    for (size_t i = 0; i < statistics.rows.size(); ++i) {
        const LegendStatisticsRow& figures = statistics.rows[i];
        const bool outside = i + 1 == statistics.rows.size();
        if (outside && figures.count == 0) {
            break;
        }
        rows.push_back({.colour = i < colours.size() ? colours[i] : kOutsideLegendColour,
                        .label = figures.label,
                        .count = CountText(figures.count),
                        .share = ShareText(statistics, figures)});
    }
    return rows;
}

std::string LegendImageFileName(std::string_view outPath) {
    if (IsKmzPath(outPath)) {
        return "legend.png";
    }
    // The name as text: the path's bytes are UTF-8 on every system.
    std::string_view name = outPath.substr(outPath.find_last_of("/\\") + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::string(name) + "-legend.png";
}

void AddLegendOverlay(TKMLDocument& document, std::string_view themeName,
                      std::span<const std::int32_t> colours, const LegendStatistics& statistics) {
    LegendImage image = DrawLegendImage(themeName, LegendImageRows(statistics, colours));
    document.AddScreenOverlay({.Name = std::string(themeName),
                               .FileName = LegendImageFileName(document.FileName()),
                               .Image = std::move(image.png),
                               .Width = image.width,
                               .Height = image.height});
}

#ifndef ORVANE_HAVE_LEGEND_IMAGE

bool CanDrawLegendImage() {
    return false;
}

LegendImage DrawLegendImage(std::string_view, std::span<const LegendImageRow>) {
    throw Error(std::string(kCannotDrawLegendImage));
}

#else

namespace {

// Chinese fonts first: their Latin letters are good too, and the whole image then uses one
// font. fontconfig falls back to whatever it has for a family that is missing.
constexpr const char* kFontFamilies = "WenQuanYi Micro Hei,Noto Sans CJK SC,sans-serif";
constexpr int kTextPixels = 13;
constexpr int kTitlePixels = 14;
constexpr int kPadding = 8;
constexpr int kColumnGap = 10;
constexpr int kRowGap = 4;
constexpr int kSwatchWidth = 24;
constexpr int kSwatchHeight = 14;

struct CairoDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* font) const { pango_font_description_free(font); }
};

using Surface = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using Cairo = std::unique_ptr<cairo_t, CairoDeleter>;
using Layout = std::unique_ptr<PangoLayout, GObjectDeleter>;

// Text drawn the same on every machine with the same font: grey anti-aliasing, no hinting.
void SetUpText(cairo_t* cairo) {
    const std::unique_ptr<cairo_font_options_t, CairoDeleter> options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cairo, options.get());
}

Layout TextLayout(cairo_t* cairo, std::string_view text, int pixels, bool bold) {
    Layout layout(pango_cairo_create_layout(cairo));
    pango_context_set_language(pango_layout_get_context(layout.get()),
                               pango_language_from_string("zh-cn"));
    const std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> font(
        pango_font_description_from_string(kFontFamilies));
    pango_font_description_set_absolute_size(font.get(), pixels * PANGO_SCALE);
    pango_font_description_set_weight(font.get(), bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    return layout;
}

struct TextSize {
    int width = 0;
    int height = 0;
};

TextSize SizeOf(PangoLayout* layout) {
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    return {logical.width, logical.height};
}

// The laid-out texts and where they go.
struct LegendLayout {
    Layout title;
    std::vector<std::array<Layout, 3> > rows;  // label, count, share
    TextSize titleSize;
    std::array<int, 3> columnWidths{};
    int rowHeight = kSwatchHeight;
    int width = 0;
    int height = 0;
};

LegendLayout LayOut(cairo_t* cairo, std::string_view title, std::span<const LegendImageRow> rows) {
    LegendLayout layout;
    layout.title = TextLayout(cairo, title, kTitlePixels, true);
    layout.titleSize = SizeOf(layout.title.get());
    for (const LegendImageRow& row : rows) {
        auto& texts = layout.rows.emplace_back();
        const std::array<std::string_view, 3> words = {row.label, row.count, row.share};
        for (size_t column = 0; column < texts.size(); ++column) {
            texts[column] = TextLayout(cairo, words[column], kTextPixels, false);
            const TextSize size = SizeOf(texts[column].get());
            layout.columnWidths[column] = std::max(layout.columnWidths[column], size.width);
            layout.rowHeight = std::max(layout.rowHeight, size.height);
        }
    }
    int rowWidth = kSwatchWidth;
    for (const int columnWidth : layout.columnWidths) {
        rowWidth += kColumnGap + columnWidth;
    }
    layout.width = 2 * kPadding + std::max(rowWidth, layout.titleSize.width);
    const auto rowCount = static_cast<int>(rows.size());
    layout.height =
        2 * kPadding + layout.titleSize.height + rowCount * (kRowGap + layout.rowHeight);
    return layout;
}

void FillColour(cairo_t* cairo, std::int32_t colour, double alpha = 1) {
    const auto channel = [colour](int shift) { return ((colour >> shift) & 0xFF) / 255.0; };
    cairo_set_source_rgba(cairo, channel(0), channel(8), channel(16), alpha);  // 0x00BBGGRR
}

void DrawText(cairo_t* cairo, PangoLayout* text, double x, double y) {
    cairo_move_to(cairo, x, y);
    pango_cairo_show_layout(cairo, text);
}

// A light, mostly opaque panel with a thin frame; the title; then the rows, the swatch
// centred on its text, counts and shares aligned right.
void Draw(cairo_t* cairo, const LegendLayout& layout, std::span<const LegendImageRow> rows) {
    constexpr std::int32_t kPanel = 0xFFFFFF;
    constexpr std::int32_t kFrame = 0xA0A0A0;
    constexpr std::int32_t kText = 0x202020;
    FillColour(cairo, kPanel, 0.9);
    cairo_paint(cairo);
    FillColour(cairo, kFrame);
    cairo_set_line_width(cairo, 1);
    cairo_rectangle(cairo, 0.5, 0.5, layout.width - 1, layout.height - 1);
    cairo_stroke(cairo);

    FillColour(cairo, kText);
    DrawText(cairo, layout.title.get(), kPadding, kPadding);
    int y = kPadding + layout.titleSize.height + kRowGap;
    for (size_t i = 0; i < rows.size(); ++i) {
        FillColour(cairo, rows[i].colour);
        cairo_rectangle(cairo, kPadding, y + (layout.rowHeight - kSwatchHeight) / 2, kSwatchWidth,
                        kSwatchHeight);
        cairo_fill(cairo);
        FillColour(cairo, kText);
        int x = kPadding + kSwatchWidth + kColumnGap;
        for (size_t column = 0; column < layout.rows[i].size(); ++column) {
            PangoLayout* text = layout.rows[i][column].get();
            const int width = layout.columnWidths[column];
            const int indent = column == 0 ? 0 : width - SizeOf(text).width;
            DrawText(cairo, text, x + indent, y);
            x += width + kColumnGap;
        }
        y += layout.rowHeight + kRowGap;
    }
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool CanDrawLegendImage() {
    return true;
}

LegendImage DrawLegendImage(std::string_view title, std::span<const LegendImageRow> rows) {
    // The texts are measured on a scratch surface, then drawn on one of their size.
    const Surface scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    const Cairo measuring(cairo_create(scratch.get()));
    SetUpText(measuring.get());
    LegendLayout layout = LayOut(measuring.get(), title, rows);

    const Surface surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, layout.width, layout.height));
    const Cairo cairo(cairo_create(surface.get()));
    SetUpText(cairo.get());
    for (auto& texts : layout.rows) {
        for (Layout& text : texts) {
            pango_cairo_update_layout(cairo.get(), text.get());
        }
    }
    pango_cairo_update_layout(cairo.get(), layout.title.get());
    Draw(cairo.get(), layout, rows);
    cairo_surface_flush(surface.get());

    LegendImage image{.width = layout.width, .height = layout.height, .png = {}};
    if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_write_to_png_stream(surface.get(), &AppendBytes, &image.png) !=
            CAIRO_STATUS_SUCCESS) {
        throw Error("Cannot draw the legend image");
    }
    return image;
}

#endif

}  // namespace orvane
