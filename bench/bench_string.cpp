// Strings: copies share the buffer (O(1) whatever the length), a change of a
// copy pays for one private copy, and appends grow by doubling.
#include <benchmark/benchmark.h>

#include <string>

#include "gnr_system/string/LxString.h"

namespace
{

void BM_StringCopyShared(benchmark::State& state)
{
    const CLxStringW source(std::u16string(size_t(state.range(0)), u'x').c_str());
    for (auto _ : state) {
        CLxStringW copy(source);
        benchmark::DoNotOptimize(copy.GetString());
    }
}
BENCHMARK(BM_StringCopyShared)->Arg(16)->Arg(4096);

void BM_StringCopyThenChange(benchmark::State& state)
{
    const CLxStringW source(std::u16string(size_t(state.range(0)), u'x').c_str());
    for (auto _ : state) {
        CLxStringW copy(source);
        copy.SetAt(0, u'y');
        benchmark::DoNotOptimize(copy.GetString());
    }
}
BENCHMARK(BM_StringCopyThenChange)->Arg(16)->Arg(4096);

void BM_StringAppendChar(benchmark::State& state)
{
    for (auto _ : state) {
        CLxStringW text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text.AddChar(u'a');
        benchmark::DoNotOptimize(text.GetString());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringAppendChar)->Arg(1000);

void BM_StringAppendText(benchmark::State& state)
{
    for (auto _ : state) {
        CLxStringA text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text += "item, ";
        benchmark::DoNotOptimize(text.GetString());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringAppendText)->Arg(1000);

// The reference: std::u16string appends.
void BM_StdU16StringAppendChar(benchmark::State& state)
{
    for (auto _ : state) {
        std::u16string text;
        for (int64_t i = 0; i < state.range(0); ++i)
            text += u'a';
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StdU16StringAppendChar)->Arg(1000);

} // namespace
