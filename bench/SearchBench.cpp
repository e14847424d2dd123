// Speed of a whole search: three realistic 1 MiB result pages served on loopback, fetched with the
// real retrieval, prepared and listed into a view, as a click on Search does it.
#include "bench/ResultPage.h"
#include "search/HttpGet.h"
#include "search/Search.h"
#include "tests/support/LoopbackServer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace vellmora {
namespace {

// A view that keeps the rows, as the window's list would.
class ListView : public SearchView {
public:
    [[nodiscard]] Text KeywordText() const override { return Text("\xD6\xD0\xCE\xC4"); } // 中文
    void RemoveAllRows() override { rows = 0; }
    int AppendRow() override { return rows++; }
    void SetCellText(int, int, const Text& text) override { benchmark::DoNotOptimize(text); }

    int rows = 0;
};

bool ProxyConfigured() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return true;
        }
    }
    return false;
}

void BM_SearchEndToEnd(benchmark::State& state) {
    if (ProxyConfigured()) {
        state.SkipWithError("a proxy variable is set: the pages would not come from loopback");
        return;
    }
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string head = "HTTP/1.0 200 OK\x0D\x0A"
                             "Content-Type: text/html; charset=utf-8\x0D\x0A"
                             "Content-Length: " +
                             std::to_string(size) + "\x0D\x0A\x0D\x0A";
    const std::string pages[3] = {head + bench::MakeResultPage(size, 1),
                                  head + bench::MakeResultPage(size, 2),
                                  head + bench::MakeResultPage(size, 3)};
    LoopbackServer engine([&](ServerConnection& connection) {
        const std::string target = connection.Target();
        const int page = target.find("&pn=20") != std::string::npos   ? 2
                         : target.find("&pn=10") != std::string::npos ? 1
                                                                      : 0;
        connection.Send(pages[page]);
    });
    const SearchHosts hosts{Text("127.0.0.1:" + std::to_string(engine.Port())), Text("pan.baidu.com")};
    ListView view;
    for (auto _ : state) {
        OnSearchClicked(view, HttpGet, hosts);
    }
    if (view.rows < 3) {
        state.SkipWithError("the pages gave no rows");
    }
    state.counters["rows"] = view.rows;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * state.range(0));
}
BENCHMARK(BM_SearchEndToEnd)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vellmora
