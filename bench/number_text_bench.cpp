// How fast numbers become general number text: every coordinate the program writes goes
// through it.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "common/Kml_baseclass.h"

namespace {

std::vector<double> Values(bool fullPrecision) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> longitude(73.0, 135.0);
    std::vector<double> values(4096);
    for (double& value : values) {
        value = longitude(random);
        if (!fullPrecision) {
            value = static_cast<double>(static_cast<long long>(value * 1e6)) / 1e6;
        }
    }
    return values;
}

void FormatValues(benchmark::State& state, bool fullPrecision) {
    const std::vector<double> values = Values(fullPrecision);
    std::string out;
    out.reserve(1 << 16);
    for (auto _ : state) {
        out.clear();
        for (double value : values) {
            orvane::AppendNumber(out, value);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(values.size()));
}

// Surveyed coordinates: six decimals.
void BM_FormatNumber_SixDecimals(benchmark::State& state) {
    FormatValues(state, false);
}
// Computed coordinates (sector rings): all 15 digits.
void BM_FormatNumber_FullPrecision(benchmark::State& state) {
    FormatValues(state, true);
}

BENCHMARK(BM_FormatNumber_SixDecimals);
BENCHMARK(BM_FormatNumber_FullPrecision);

}  // namespace

BENCHMARK_MAIN();
