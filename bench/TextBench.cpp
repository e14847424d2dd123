// Speed of the page preparation (bytes to GBK text without highlight tags) and of keyword encoding.
#include "bench/ResultPage.h"
#include "text/Events.h"
#include "text/ReplaceMany.h"
#include "text/UrlDecode.h"
#include "text/UrlEncode.h"

#include <benchmark/benchmark.h>

namespace vellmora {
namespace {

void BM_PreparePage(benchmark::State& state) {
    const ByteSet raw(bench::MakeResultPage(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        const Text page = ReplaceMany(UrlDecode(BytesToText(raw)), {}, {}, false, {Text("<em>"), Text()},
                                      {Text("</em>"), Text()});
        benchmark::DoNotOptimize(page);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PreparePage)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_UrlEncode(benchmark::State& state) {
    // A GBK keyword of mixed Chinese (中文) and ASCII.
    std::string keyword;
    while (keyword.size() < static_cast<std::size_t>(state.range(0))) {
        keyword += "\xD6\xD0\xCE\xC4 pdf 2024 ";
    }
    keyword.resize(static_cast<std::size_t>(state.range(0)));
    const Text text(keyword);
    const EventHook saved = SetEventHook([] {});
    for (auto _ : state) {
        benchmark::DoNotOptimize(UrlEncode(text));
    }
    SetEventHook(saved);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_UrlEncode)->Arg(4096)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vellmora
