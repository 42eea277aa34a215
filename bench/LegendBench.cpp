// Reading a drive-test log and scanning its theme field, on a generated log of 1,000,000
// records (about 70 MB) written to the temporary folder once per run.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/Kml_baseclass.h"
#include "conversions/DtTextFile.h"
#include "legend/ThematicLegend.h"

namespace {

constexpr size_t kThemeField = 3;  // "RxLev"

// A deterministic drive-test log: time, position, level with two decimals, quality, cell,
// speed.
class GeneratedLog {
  public:
    explicit GeneratedLog(size_t records) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("orvane-bench-dt-" + std::to_string(records) + ".txt"))
                    .string();
        if (std::filesystem::exists(path_)) {
            return;
        }
        std::ofstream out(path_, std::ios::binary);
        std::string chunk = "Time\tLongitude\tLatitude\tRxLev\tRxQual\tCellID\tSpeed\r\n";
        std::uint64_t state = 12345;
        const auto next = [&state](std::uint64_t range) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return (state >> 33) % range;
        };
        char line[160];
        for (size_t i = 0; i < records; ++i) {
            const double longitude = 113.0 + static_cast<double>(i) * 1e-6;
            const double latitude = 22.5 + static_cast<double>(next(100000)) * 1e-7;
            const double level = -110.0 + static_cast<double>(next(7000)) / 100.0;
            const int length = std::snprintf(
                line, sizeof line,
                "2026-12-09 %02zu:%02zu:%02zu.%03zu\t%.7f\t%.7f\t%.2f\t%d\t"
                "46001-%05d\t%.1f\r\n",
                i / 3600000 % 24, i / 60000 % 60, i / 1000 % 60, i % 1000, longitude, latitude,
                level, static_cast<int>(next(8)), static_cast<int>(next(50000)),
                static_cast<double>(next(1200)) / 10.0);
            chunk.append(line, static_cast<size_t>(length));
            if (chunk.size() > (1 << 20)) {
                out << chunk;
                chunk.clear();
            }
        }
        out << chunk;
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const GeneratedLog& MillionRecordLog() {
    static const GeneratedLog log(1000000);
    return log;
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ReadDtLog(benchmark::State& state) {
    const std::string& path = MillionRecordLog().path();
    const double fileMegabytes =
        static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    size_t records = 0;
    for (auto _ : state) {
        const orvane::DtTextFile file = orvane::DtTextFile::Read(path);
        records = file.RecordCount();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = static_cast<double>(records);
    state.counters["file_MB"] = fileMegabytes;
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ReadDtLog)->Unit(benchmark::kMillisecond);

void BM_ScanThemeField(benchmark::State& state) {
    const orvane::DtTextFile file = orvane::DtTextFile::Read(MillionRecordLog().path());
    orvane::ThemeFieldScan scan;
    for (auto _ : state) {
        scan = orvane::ScanThemeField(file.Values(kThemeField), orvane::DtNumberTest);
        benchmark::DoNotOptimize(scan.maximum);
    }
    state.counters["distinct"] = static_cast<double>(scan.distinctValues.size());
}
BENCHMARK(BM_ScanThemeField)->Unit(benchmark::kMillisecond);

// A field of few values (the quality 0 to 7): classification and grading both stay open.
void BM_ScanFewValuedField(benchmark::State& state) {
    const orvane::DtTextFile file = orvane::DtTextFile::Read(MillionRecordLog().path());
    for (auto _ : state) {
        const orvane::ThemeFieldScan scan =
            orvane::ScanThemeField(file.Values(4), orvane::DtNumberTest);
        benchmark::DoNotOptimize(scan.canClassify);
    }
}
BENCHMARK(BM_ScanFewValuedField)->Unit(benchmark::kMillisecond);

// The worst case: every value distinct (the longitude), so the scan keeps a million values.
void BM_ScanAllDistinctField(benchmark::State& state) {
    const orvane::DtTextFile file = orvane::DtTextFile::Read(MillionRecordLog().path());
    for (auto _ : state) {
        const orvane::ThemeFieldScan scan =
            orvane::ScanThemeField(file.Values(1), orvane::DtNumberTest);
        benchmark::DoNotOptimize(scan.maximum);
    }
}
BENCHMARK(BM_ScanAllDistinctField)->Unit(benchmark::kMillisecond);

// Matching every record against a ten-grade legend, as a conversion does.
void BM_MatchGrades(benchmark::State& state) {
    const orvane::DtTextFile file = orvane::DtTextFile::Read(MillionRecordLog().path());
    const orvane::ThemeFieldScan scan =
        orvane::ScanThemeField(file.Values(kThemeField), orvane::DtNumberTest);
    orvane::ThematicLegend legend;
    legend.gradeEntries = orvane::ComputeDefaultGrading(scan, 10);
    const std::vector<orvane::GradeRange> ranges = orvane::LegendRanges(legend);
    for (auto _ : state) {
        long long sum = 0;
        for (const std::string_view value : file.Values(kThemeField)) {
            sum += orvane::FindGradeEntry(ranges, orvane::BoundaryMode::LeftInclusive, value);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_MatchGrades)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
