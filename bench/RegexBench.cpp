// Speed of the result pattern over prepared pages: a realistic page, and single lines built to make
// its lazy groups backtrack.
#include "bench/ResultPage.h"
#include "regex/RegexMatcher.h"
#include "text/ReplaceMany.h"
#include "text/UrlDecode.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace vellmora {
namespace {

// Link (group 1) and title (group 2) of each result heading.
const Text kResultPattern("\"  href=\"(.*?)\"   target=\"_blank\" >(.*?)</a></h3>");

// A result page of `size` raw bytes as the search prepares it: decoded to GBK, highlight tags removed.
Text PreparedPage(std::size_t size) {
    const ByteSet raw(bench::MakeResultPage(size));
    return ReplaceMany(UrlDecode(BytesToText(raw)), {}, {}, false, {Text("<em>"), Text()},
                       {Text("</em>"), Text()});
}

// What the search does with one page: match, then read the link and the title of every match.
void BM_ListPage(benchmark::State& state) {
    const Text page = PreparedPage(static_cast<std::size_t>(state.range(0)));
    RegexMatcher matcher;
    for (auto _ : state) {
        matcher.Create(kResultPattern, page);
        const int n = matcher.GetMatchCount();
        for (int i = 1; i <= n; ++i) {
            benchmark::DoNotOptimize(matcher.GetSubMatchText(i, 1));
            benchmark::DoNotOptimize(matcher.GetSubMatchText(i, 2));
        }
    }
    if (matcher.GetMatchCount() == 0) {
        state.SkipWithError("the page has no result headings");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * TextLength(page));
}
BENCHMARK(BM_ListPage)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

enum Hostile { kUnclosedLinks, kNestedHeads };

// One line of `size` bytes that sends the lazy groups far ahead and back, then one valid heading on
// the next line, which must still be found. kUnclosedLinks: a thousand starts of a link whose closing
// quote never comes. kNestedHeads: a hundred complete heads and no end of a heading, so group 1 is
// retried up to every later head.
Text HostilePage(std::size_t size, Hostile kind) {
    const int heads = kind == kUnclosedLinks ? 1000 : 100;
    const std::size_t gap = size / static_cast<std::size_t>(heads);
    std::string line;
    line.reserve(size + 256);
    for (int i = 0; i < heads; ++i) {
        const std::size_t end = line.size() + gap;
        line += "<a class=\"c\"  href=\"http://www.baidu.com/link?url=" + std::to_string(i);
        if (kind == kNestedHeads) {
            line += "\"   target=\"_blank\" >";
        }
        // Script-like filler with GBK text (中文) and stray quotes, but none of the pattern's ends.
        while (line.size() < end) {
            line += "var s=\"\xD6\xD0\xCE\xC4\";f(s, 'x');";
        }
    }
    line.resize(size);
    line += "\n<a class=\"c\"  href=\"http://x\"   target=\"_blank\" >\xD6\xD0\xCE\xC4</a></h3>";
    return Text(std::move(line));
}

void BM_ResultPatternHostile(benchmark::State& state) {
    const auto kind = static_cast<Hostile>(state.range(1));
    const Text page = HostilePage(static_cast<std::size_t>(state.range(0)), kind);
    state.SetLabel(kind == kUnclosedLinks ? "1000 unclosed links" : "100 nested heads");
    RegexMatcher matcher;
    for (auto _ : state) {
        matcher.Create(kResultPattern, page);
        benchmark::DoNotOptimize(matcher.GetSubMatchText(1, 2));
    }
    if (matcher.GetMatchCount() != 1) {
        state.SkipWithError("the heading after the hostile line was lost");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * TextLength(page));
}
BENCHMARK(BM_ResultPatternHostile)
    ->Args({1 << 20, kUnclosedLinks})
    ->Args({1 << 20, kNestedHeads})
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vellmora
