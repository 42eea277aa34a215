// Writes benchmark inputs of a given size: coordinate lines, the same points as CSV, and
// MIF/MID files of regions.
//   orvane-bench-generate points N DIR   -> DIR/points-N.txt, DIR/points-N.csv
//   orvane-bench-generate mif N DIR      -> DIR/regions-N.mif, DIR/regions-N.mid
//   orvane-bench-generate dt N DIR       -> DIR/dt-N.txt, a drive-test log of ten fields

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s points|mif|dt COUNT DIR\n", argv[0]);
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
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    return 0;
}
