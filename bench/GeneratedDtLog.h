#pragma once

// Generated drive-test logs for the window benchmarks.

#include <QString>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace orvane::bench {

// A drive along a wandering road, one record a second, ten fields (about 70 bytes a record).
inline void WriteLog(const QString& path, long records) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << "Time\tLongitude\tLatitude\tRxLev\tRxQual\tCI\tLAC\tBCCH\tSpeed\tTA\r\n";
    double x = 113.0412;
    double y = 25.7731;
    char line[160];
    for (long i = 0; i < records; ++i) {
        const double heading = std::sin(static_cast<double>(i) / 500.0) * 3.0;
        const double step = i % 400 < 390 ? 0.00012 : 0.0009;  // now and then a gap
        x += std::cos(heading) * step;
        y += std::sin(heading) * step * 0.9;
        const double level = -75 + 18 * std::sin(static_cast<double>(i) / 97.0);
        const long t = 30600 + i;
        const int length = std::snprintf(
            line, sizeof line,
            "%02ld:%02ld:%02ld\t%.6f\t%.6f\t%.1f\t%ld\t%ld\t9300\t60\t35\t%ld\r\n", (t / 3600) % 24,
            (t / 60) % 60, t % 60, x, y, level, i % 8, 10000 + (i / 600) % 50, (i / 1000) % 8);
        out.write(line, length);
    }
}

}  // namespace orvane::bench
