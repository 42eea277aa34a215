// The CQT window's theme scan and the CQT conversion alone, on the 100 000-point workbook of
// bench/run-cqt.sh (build/bench-data/cqt-100000.xlsx, or the path in ORVANE_CQT_WORKBOOK).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "conversions/Cqt2kml.h"
#include "workbooks/WorksheetSource.h"

namespace {

// Columns: 测试点, 经度, 纬度, RxLev, RxQual, 通话结果, 时间, 小区, CI, LAC, 速度, 备注.
constexpr std::int32_t kName = 1;
constexpr std::int32_t kRxLev = 4;
constexpr std::int32_t kResult = 6;

std::string WorkbookPath() {
    const char* path = std::getenv("ORVANE_CQT_WORKBOOK");
    return path != nullptr ? path : "build/bench-data/cqt-100000.xlsx";
}

// Opened once for all benchmarks, as the window holds it.
const orvane::WorksheetSource& Workbook() {
    static const orvane::WorksheetSource source = [] {
        orvane::WorksheetSource opened;
        opened.OpenWorkbook(WorkbookPath());
        return opened;
    }();
    return source;
}

// Every value of a graded column is read: the scan stops only when both legends are ruled out.
void ScanThemeColumn(benchmark::State& state, std::int32_t column) {
    const orvane::WorksheetSource& source = Workbook();
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvane::ScanCqtThemeColumn(source, column));
    }
    state.SetItemsProcessed(state.iterations() * (source.rowCount() - 1));
}

void BM_ScanRxLevGraded(benchmark::State& state) {
    ScanThemeColumn(state, kRxLev);
}
void BM_ScanResultClassified(benchmark::State& state) {
    ScanThemeColumn(state, kResult);
}
// Unique names rule out both legends after 17 rows.
void BM_ScanNamesStopsEarly(benchmark::State& state) {
    ScanThemeColumn(state, kName);
}

void BM_ConvertGraded(benchmark::State& state) {
    const orvane::WorksheetSource& source = Workbook();
    orvane::CqtConversionRequest request;
    request.source = &source;
    request.nameColumn = kName;
    request.lonColumn = 2;
    request.latColumn = 3;
    request.themeColumn = kRxLev;
    request.outPath = (std::filesystem::temp_directory_path() / "orvane-bench-cqt.kml").string();
    request.legend.scan = orvane::ScanCqtThemeColumn(source, kRxLev);
    request.legend.gradeEntries = orvane::ComputeDefaultGrading(request.legend.scan, 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvane::ConvertCqtToKml(request).featuresWritten);
    }
    std::filesystem::remove(request.outPath);
    state.SetItemsProcessed(state.iterations() * (source.rowCount() - 1));
}

}  // namespace

BENCHMARK(BM_ScanRxLevGraded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanResultClassified)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanNamesStopsEarly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertGraded)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (!std::filesystem::exists(WorkbookPath())) {
        std::fprintf(stderr, "%s is missing: bench/run-cqt.sh writes it\n", WorkbookPath().c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
