#include "kml/KmlIcons.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "common/PngImage.h"

namespace orvane {

namespace {

constexpr std::uint32_t kSize = 32;
constexpr int kSamples = 4;  // per axis and pixel: edges are smoothed

struct Colour {
    double r, g, b;
};

// One shape of an icon, painted over the shapes before it.
struct Layer {
    Colour colour;
    bool (*inside)(double x, double y);
};

double Distance(double x, double y, double cx, double cy) {
    return std::hypot(x - cx, y - cy);
}

// A triangle's inside: on the same side of its three edges.
bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx,
                double cy) {
    const auto side = [x, y](double px, double py, double qx, double qy) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    const double d1 = side(ax, ay, bx, by);
    const double d2 = side(bx, by, cx, cy);
    const double d3 = side(cx, cy, ax, ay);
    return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
}

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kRim{64, 64, 64};
constexpr Colour kRed{214, 40, 40};
constexpr Colour kGrey{128, 128, 128};

// A mast on a disc: a rimmed white disc, a red tower and the red dot of its antenna.
constexpr std::array<Layer, 5> kSiteLayers = {
    Layer{kRim, [](double x, double y) { return Distance(x, y, 16, 16) <= 15.5; }},
    Layer{kWhite, [](double x, double y) { return Distance(x, y, 16, 16) <= 14; }},
    Layer{kRed, [](double x, double y) { return InTriangle(x, y, 16, 9, 9.5, 27, 22.5, 27); }},
    Layer{kWhite, [](double x, double y) { return InTriangle(x, y, 16, 15, 13, 24, 19, 24); }},
    Layer{kRed, [](double x, double y) { return Distance(x, y, 16, 8) <= 3.5; }},
};

// A white square with a grey rim; a style's colour multiplies both.
constexpr std::array<Layer, 2> kSquareLayers = {
    Layer{kGrey, [](double x, double y) { return x >= 3 && x <= 29 && y >= 3 && y <= 29; }},
    Layer{kWhite, [](double x, double y) { return x >= 6 && x <= 26 && y >= 6 && y <= 26; }},
};

// A white disc with a grey rim; a style's colour multiplies both.
constexpr std::array<Layer, 2> kDotLayers = {
    Layer{kGrey, [](double x, double y) { return Distance(x, y, 16, 16) <= 13; }},
    Layer{kWhite, [](double x, double y) { return Distance(x, y, 16, 16) <= 10.5; }},
};

// Each sample takes the colour of the last shape that holds it; a pixel averages its samples
// (transparent where no shape is).
RgbaImage Draw(std::span<const Layer> layers) {
    RgbaImage image{kSize, kSize, std::vector<std::uint8_t>(size_t{kSize} * kSize * 4)};
    for (std::uint32_t py = 0; py < kSize; ++py) {
        for (std::uint32_t px = 0; px < kSize; ++px) {
            double r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = px + (sx + 0.5) / kSamples;
                    const double y = py + (sy + 0.5) / kSamples;
                    const Layer* top = nullptr;
                    for (const Layer& layer : layers) {
                        if (layer.inside(x, y)) {
                            top = &layer;
                        }
                    }
                    if (top != nullptr) {
                        r += top->colour.r;
                        g += top->colour.g;
                        b += top->colour.b;
                        ++covered;
                    }
                }
            }
            std::uint8_t* pixel = &image.pixels[(size_t{py} * kSize + px) * 4];
            if (covered > 0) {
                pixel[0] = static_cast<std::uint8_t>(std::lround(r / covered));
                pixel[1] = static_cast<std::uint8_t>(std::lround(g / covered));
                pixel[2] = static_cast<std::uint8_t>(std::lround(b / covered));
                pixel[3] = static_cast<std::uint8_t>(covered * 255 / (kSamples * kSamples));
            }
        }
    }
    return image;
}

// Each icon's file, the address the system's own layout gives it, and its picture; in the
// order of KmlIcon.
struct IconDrawing {
    KmlIcon icon;
    std::string_view fileName;
    std::string_view href;
    std::span<const Layer> layers;
};

constexpr std::array<IconDrawing, 3> kIcons = {{
    {KmlIcon::Site, "orvane-site.png", kSiteIconHref, kSiteLayers},
    {KmlIcon::Square, "orvane-square.png", kSquareIconHref, kSquareLayers},
    {KmlIcon::Dot, "orvane-dot.png", kDotIconHref, kDotLayers},
}};

const IconDrawing& DrawingOf(KmlIcon icon) {
    return kIcons[static_cast<size_t>(icon)];
}

}  // namespace

std::string_view KmlIconFileName(KmlIcon icon) {
    return DrawingOf(icon).fileName;
}

std::string KmlIconPng(KmlIcon icon) {
    return EncodePng(Draw(DrawingOf(icon).layers));
}

std::optional<KmlIcon> KmlIconOfHref(std::string_view href) {
    for (const IconDrawing& drawing : kIcons) {
        if (drawing.href == href) {
            return drawing.icon;
        }
    }
    return std::nullopt;
}

}  // namespace orvane
