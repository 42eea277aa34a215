// Writes benchmark inputs of a given size: coordinate lines, the same points as CSV, and
// MIF/MID files of regions.
//   orvane-bench-generate points N DIR   -> DIR/points-N.txt, DIR/points-N.csv
//   orvane-bench-generate mif N DIR      -> DIR/regions-N.mif, DIR/regions-N.mid
//   orvane-bench-generate dt N DIR       -> DIR/dt-N.txt, a drive-test log of ten fields
//   orvane-bench-generate serving N DIR  -> DIR/cells.csv, 30,000 sectors on 10,000 sites, and
//                                           DIR/serving-N.txt, a log whose CI names them

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

class Output {
  public:
    explicit Output(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (file_ == nullptr) {
            std::perror(path.c_str());
            std::exit(1);
        }
    }
    ~Output() { std::fclose(file_); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    void Printf(const char* format, auto... values) { std::fprintf(file_, format, values...); }

  private:
    std::FILE* file_;
};

void WritePoints(long count, const std::string& dir) {
    Output lines(dir + "/points-" + std::to_string(count) + ".txt");
    Output csv(dir + "/points-" + std::to_string(count) + ".csv");
    csv.Printf("X,Y\n");
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> longitude(112.5, 114.5);
    std::uniform_real_distribution<double> latitude(22.0, 26.0);
    for (long i = 0; i < count; ++i) {
        const double x = longitude(random);
        const double y = latitude(random);
        lines.Printf("%.6f,%.6f\n", y, x);
        csv.Printf("%.6f,%.6f\n", x, y);
    }
}

void WriteRegions(long count, const std::string& dir) {
    Output mif(dir + "/regions-" + std::to_string(count) + ".mif");
    Output mid(dir + "/regions-" + std::to_string(count) + ".mid");
    mif.Printf(
        "Version 300\r\nCharset \"WindowsSimpChinese\"\r\nDelimiter \",\"\r\n"
        "CoordSys Earth Projection 1, 0\r\nColumns 1\r\n  ID Integer\r\nData\r\n\r\n");
    std::mt19937_64 random(2);
    std::uniform_int_distribution<int> polygons(1, 3);
    std::uniform_int_distribution<int> points(5, 40);
    std::uniform_real_distribution<double> longitude(112.5, 114.5);
    std::uniform_real_distribution<double> latitude(22.0, 26.0);
    std::uniform_real_distribution<double> offset(-0.01, 0.01);
    for (long i = 0; i < count; ++i) {
        const int polygonCount = polygons(random);
        const double x0 = longitude(random);
        const double y0 = latitude(random);
        mif.Printf("Region  %d\r\n", polygonCount);
        for (int p = 0; p < polygonCount; ++p) {
            const int pointCount = points(random);
            mif.Printf("  %d\r\n", pointCount + 1);
            double firstX = 0;
            double firstY = 0;
            for (int k = 0; k < pointCount; ++k) {
                const double x = x0 + offset(random);
                const double y = y0 + offset(random);
                if (k == 0) {
                    firstX = x;
                    firstY = y;
                }
                mif.Printf("%.6f %.6f\r\n", x, y);
            }
            mif.Printf("%.6f %.6f\r\n", firstX, firstY);
        }
        mif.Printf("    Pen (1,2,0)\r\n    Brush (1,0,16777215)\r\n    Center %.6f %.6f\r\n", x0,
                   y0);
        mid.Printf("%ld\r\n", i + 1);
    }
}

// A drive along a wandering road, one record a second: about 70 bytes a record.
void WriteDriveTest(long count, const std::string& dir) {
    Output log(dir + "/dt-" + std::to_string(count) + ".txt");
    log.Printf("DateTime\tLongitude\tLatitude\tRxLev\tRxQual\tCI\tLAC\tBCCH\tSpeed\tTA\r\n");
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> turn(-0.15, 0.15);
    std::uniform_real_distribution<double> noise(-6, 6);
    std::uniform_int_distribution<int> quality(0, 7);
    double x = 113.0412;
    double y = 25.7731;
    double heading = 0;
    for (long i = 0; i < count; ++i) {
        heading += turn(random);
        const double step = i % 400 < 390 ? 0.00012 : 0.0009;  // now and then a gap
        x += std::cos(heading) * step;
        y += std::sin(heading) * step * 0.9;
        const double level = -75 + 18 * std::sin(static_cast<double>(i) / 97.0) + noise(random);
        const long t = 30600 + i;
        log.Printf("2026-12-09 %02ld:%02ld:%02ld\t%.6f\t%.6f\t%.1f\t%d\t%ld\t%d\t%d\t%d\t%d\r\n",
                   (t / 3600) % 24, (t / 60) % 60, t % 60, x, y, level, quality(random),
                   10000 + (i / 600) % 50, 9300 + static_cast<int>(i / 50000), 60 + (i / 900) % 30,
                   static_cast<int>(20 + 30 * std::fabs(std::sin(i / 300.0))),
                   static_cast<int>((i / 1000) % 8));
    }
}

// ---- Serving cells -------------------------------------------------------------------------

// Sites on a jittered grid about 1 km apart, three sectors each facing 0, 120 and 240 degrees
// with beams 90 degrees wide.
constexpr int kGridSide = 100;
constexpr double kSiteStep = 0.009;  // degrees of latitude, about 1 km
constexpr double kWest = 112.5;
constexpr double kSouth = 25.0;
constexpr double kDegrees = std::numbers::pi / 180;

struct Site {
    double longitude;
    double latitude;
};

double LongitudeStep() {
    return kSiteStep / std::cos((kSouth + kGridSide * kSiteStep / 2) * kDegrees);
}

std::vector<Site> MakeSites() {
    std::mt19937_64 random(4);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    std::vector<Site> sites;
    for (int row = 0; row < kGridSide; ++row) {
        for (int column = 0; column < kGridSide; ++column) {
            sites.push_back({kWest + (column + jitter(random)) * LongitudeStep(),
                             kSouth + (row + jitter(random)) * kSiteStep});
        }
    }
    return sites;
}

void WriteCellTable(const std::vector<Site>& sites, const std::string& dir) {
    Output table(dir + "/cells.csv");
    table.Printf("站名,CI,经度,纬度,方向角,波束宽度\n");
    for (size_t s = 0; s < sites.size(); ++s) {
        for (int k = 0; k < 3; ++k) {
            table.Printf("站%zu,%zu,%.6f,%.6f,%d,90\n", s, 100000 + s * 3 + k, sites[s].longitude,
                         sites[s].latitude, k * 120);
        }
    }
}

double PlaneDistance(const Site& a, double longitude, double latitude) {
    const double east = (longitude - a.longitude) * std::cos(latitude * kDegrees);
    return std::hypot(east, latitude - a.latitude);
}

// The three sites nearest to a point, among the 5 x 5 grid places around it.
std::array<int, 3> NearestSites(const std::vector<Site>& sites, double longitude, double latitude) {
    const int column = static_cast<int>(std::lround((longitude - kWest) / LongitudeStep()));
    const int row = static_cast<int>(std::lround((latitude - kSouth) / kSiteStep));
    std::array<int, 3> best = {-1, -1, -1};
    std::array<double, 3> distance = {1e9, 1e9, 1e9};
    for (int r = std::max(row - 2, 0); r <= std::min(row + 2, kGridSide - 1); ++r) {
        for (int c = std::max(column - 2, 0); c <= std::min(column + 2, kGridSide - 1); ++c) {
            int site = r * kGridSide + c;
            double d = PlaneDistance(sites[static_cast<size_t>(site)], longitude, latitude);
            for (size_t k = 0; k < 3; ++k) {
                if (d < distance[k]) {
                    std::swap(d, distance[k]);
                    std::swap(site, best[k]);
                }
            }
        }
    }
    return best;
}

// The sector of a site whose antenna faces the point, or faces away from it.
int SectorTowards(const Site& site, double longitude, double latitude, bool behind) {
    const double east = (longitude - site.longitude) * std::cos(latitude * kDegrees);
    double bearing = std::atan2(east, latitude - site.latitude) / kDegrees;
    bearing += behind ? 180 : 360;
    return static_cast<int>(std::lround(std::fmod(bearing, 360) / 120)) % 3;
}

// Roads wandering over the sites' area, one sample every 12 m or so. Each stretch of 200
// samples is served as usual (the serving site stays while it is among the three nearest),
// or now and then from behind the antenna or by a site four places away.
void WriteServingLog(const std::vector<Site>& sites, long count, const std::string& dir) {
    Output log(dir + "/serving-" + std::to_string(count) + ".txt");
    log.Printf("DateTime\tLongitude\tLatitude\tRxLev\tRxQual\tCI\tLAC\tBCCH\tSpeed\tTA\r\n");
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> turn(-0.15, 0.15);
    std::uniform_real_distribution<double> noise(-6, 6);
    std::uniform_real_distribution<double> chance(0, 1);
    std::uniform_int_distribution<int> quality(0, 7);
    const double east = kWest + (kGridSide - 1) * LongitudeStep();
    const double north = kSouth + (kGridSide - 1) * kSiteStep;
    double x = kWest + 0.3;
    double y = kSouth + 0.3;
    double heading = 0.5;
    int serving = -1;
    bool behind = false;
    bool afar = false;
    for (long i = 0; i < count; ++i) {
        heading += turn(random);
        x += std::cos(heading) * 0.00012;
        y += std::sin(heading) * 0.00011;
        if (x < kWest || x > east || y < kSouth || y > north) {
            heading += std::numbers::pi;  // turn back at the edge of the area
            x = std::clamp(x, kWest, east);
            y = std::clamp(y, kSouth, north);
        }
        if (i % 200 == 0) {
            const double draw = chance(random);
            behind = draw < 0.03;
            afar = draw > 0.97;
        }
        const std::array<int, 3> nearest = NearestSites(sites, x, y);
        if (std::find(nearest.begin(), nearest.end(), serving) == nearest.end()) {
            serving = nearest[0];
        }
        int site = serving;
        if (afar) {
            site = std::min(serving + 4, kGridSide * kGridSide - 1);
        }
        const Site& at = sites[static_cast<size_t>(site)];
        const int sector = SectorTowards(at, x, y, behind);
        const double level = -75 + 18 * std::sin(static_cast<double>(i) / 97.0) + noise(random);
        const long t = 30600 + i;
        log.Printf("2026-12-09 %02ld:%02ld:%02ld\t%.6f\t%.6f\t%.1f\t%d\t%d\t%d\t%d\t%d\t%d\r\n",
                   (t / 3600) % 24, (t / 60) % 60, t % 60, x, y, level, quality(random),
                   100000 + site * 3 + sector, 9300, 60, 40, static_cast<int>((i / 1000) % 8));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s points|mif|dt|serving COUNT DIR\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    const long count = std::atol(argv[2]);
    if (kind == "points") {
        WritePoints(count, argv[3]);
    } else if (kind == "mif") {
        WriteRegions(count, argv[3]);
    } else if (kind == "dt") {
        WriteDriveTest(count, argv[3]);
    } else if (kind == "serving") {
        const std::vector<Site> sites = MakeSites();
        WriteCellTable(sites, argv[3]);
        WriteServingLog(sites, count, argv[3]);
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    return 0;
}
