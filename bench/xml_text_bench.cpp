// How much the check for texts that go into KML unchanged costs: every name, style reference
// and coordinate text the builders store passes it, and coordinate texts of a long line or a
// large region run to hundreds of megabytes. Beside it, the three memchr scans for "&", "<"
// and ">" that checked texts before control characters and ill-formed UTF-8 were replaced.
// Run: build/bench/orvane_xml_text_bench

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "common/XmlText.h"

namespace {

std::string Repeated(std::string_view piece, size_t size) {
    std::string text;
    while (text.size() < size) {
        text += piece;
    }
    text.resize(size);
    return text;
}

bool HasMarkupByMemchr(std::string_view text) {
    const auto has = [&](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
    return has('&') || has('<') || has('>');
}

// Coordinate texts as the conversions write them.
const std::string& Coordinates(size_t size) {
    static std::string text;
    if (text.size() != size) {
        text = Repeated("113.264512,23.129421,0 ", size);
    }
    return text;
}

void BM_PlainCheck_Coordinates(benchmark::State& state) {
    const std::string& text = Coordinates(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvane::IsPlainXmlText(text));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_MemchrCheck_Coordinates(benchmark::State& state) {
    const std::string& text = Coordinates(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(HasMarkupByMemchr(text));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Names of points and sites and style references: short texts, ASCII or Chinese.
const std::string kNames[] = {"Point12345", "Region", "#LINESTYLE3", "韶关基站12", "城东2"};

void BM_PlainCheck_ShortNames(benchmark::State& state) {
    const auto& names = kNames;
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(orvane::IsPlainXmlText(name));
        }
    }
    state.SetItemsProcessed(state.iterations() * 5);
}

void BM_MemchrCheck_ShortNames(benchmark::State& state) {
    const auto& names = kNames;
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(HasMarkupByMemchr(name));
        }
    }
    state.SetItemsProcessed(state.iterations() * 5);
}

// Cell texts of base-station and CQT tables, mostly Chinese, into a description table.
void BM_AppendCells_Chinese(benchmark::State& state) {
    const std::string cells[] = {"基站12_3", "113.264512", "LTE1800", "市区", "覆盖类型"};
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (const std::string& cell : cells) {
            orvane::AppendXmlText(out, cell, orvane::XmlQuotes::Escaped);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 5);
}

BENCHMARK(BM_PlainCheck_Coordinates)->Arg(32)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(BM_MemchrCheck_Coordinates)->Arg(32)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(BM_PlainCheck_ShortNames);
BENCHMARK(BM_MemchrCheck_ShortNames);
BENCHMARK(BM_AppendCells_Chinese);

}  // namespace

BENCHMARK_MAIN();
