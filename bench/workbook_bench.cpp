// Opening workbooks and reading every cell through the worksheet source, as a conversion
// does. The inputs are made by bench/make-workbook-inputs.sh (LibreOffice); their folder is
// taken from ORVANE_BENCH_DATA (default build/bench-data).

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "workbooks/WorksheetSource.h"

namespace {

std::string Input(const char* name) {
    const char* folder = std::getenv("ORVANE_BENCH_DATA");
    return std::string(folder != nullptr ? folder : "build/bench-data") + "/" + name;
}

// The unpacked size of the first sheet's XML.
double SheetXmlBytes(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return 0;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    const bool found = zip_stat(archive, "xl/worksheets/sheet1.xml", 0, &stat) == 0;
    zip_discard(archive);
    return found ? static_cast<double>(stat.size) : 0;
}

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

size_t ReadEveryCell(const orvane::WorksheetSource& source) {
    size_t bytes = 0;
    for (std::int32_t r = 1; r <= source.rowCount(); ++r) {
        for (std::int32_t c = 1; c <= source.columnCount(); ++c) {
            bytes += source.CellText(r, c).size();
        }
    }
    return bytes;
}

void OpenAndReadEveryCell(benchmark::State& state, const char* name) {
    const std::string path = Input(name);
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("input missing: run bench/make-workbook-inputs.sh");
        return;
    }
    size_t held = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        orvane::WorksheetSource source;
        source.OpenWorkbook(path);
        held = HeapInUse() - before;
        benchmark::DoNotOptimize(ReadEveryCell(source));
        state.counters["rows"] = source.rowCount();
        state.counters["columns"] = source.columnCount();
    }
    state.counters["held_MB"] = static_cast<double>(held) / 1e6;
    if (const double xml = SheetXmlBytes(path); xml > 0) {
        state.counters["sheet_xml_MB"] = xml / 1e6;
        state.counters["held_per_xml"] = static_cast<double>(held) / xml;
    }
}

// Cell access costs the same whatever the sheet's size: random cells of the large sheet
// against random cells of its first thousand rows.
void RandomCellText(benchmark::State& state, const char* name) {
    const std::string path = Input(name);
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("input missing: run bench/make-workbook-inputs.sh");
        return;
    }
    orvane::WorksheetSource source;
    source.OpenWorkbook(path);
    const std::int32_t rows = std::min<std::int32_t>(source.rowCount(), state.range(0));
    std::mt19937 random(42);
    std::uniform_int_distribution<std::int32_t> row(1, rows);
    std::uniform_int_distribution<std::int32_t> column(1, source.columnCount());
    for (auto _ : state) {
        benchmark::DoNotOptimize(source.CellText(row(random), column(random)));
    }
}

BENCHMARK_CAPTURE(OpenAndReadEveryCell, xlsx_100000x20, "rows-100000.xlsx")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(OpenAndReadEveryCell, xls_65000x20, "rows-65000.xls")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(RandomCellText, xlsx, "rows-100000.xlsx")->Arg(1000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
