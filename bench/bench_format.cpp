// The printf engine on a trace-like record against the C library's narrow
// snprintf.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "w32_system/LxFormat.h"

namespace
{

void BM_LxSnwprintfTrace(benchmark::State& state)
{
    char16_t buffer[256];
    for (auto _ : state) {
        int n = LX_snwprintf(buffer, 256, u"%s %d %#.2f", u"LX_ReadFile", 4711, 12.5);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_LxSnwprintfTrace);

void BM_LxSnprintfATrace(benchmark::State& state)
{
    char buffer[256];
    for (auto _ : state) {
        int n = LX_snprintfA(buffer, sizeof buffer, "%s %d %#.2f", "LX_ReadFile", 4711, 12.5);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_LxSnprintfATrace);

void BM_CSnprintfTrace(benchmark::State& state)
{
    char buffer[256];
    for (auto _ : state) {
        int n = snprintf(buffer, sizeof buffer, "%s %d %#.2f", "LX_ReadFile", 4711, 12.5);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_CSnprintfTrace);

// Text of the other kind goes through the UTF-8 converter.
void BM_LxSnwprintfNarrowArgument(benchmark::State& state)
{
    char16_t buffer[256];
    for (auto _ : state) {
        int n = LX_snwprintf(buffer, 256, u"%hs : %i", "w32_system/LxFileApi.cpp", 512);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_LxSnwprintfNarrowArgument);

} // namespace
