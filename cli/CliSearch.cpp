#include "cli/CliSearch.h"

#include "text/CodePage.h"

#include <cstddef>
#include <utility>

namespace vellmora {
namespace {

// The search's view of a program without a window: a fixed keyword, and a list kept in memory.
class CollectingView final : public SearchView {
public:
    CollectingView(Text keyword, SearchOutcome& outcome) : keyword_(std::move(keyword)), outcome_(outcome) {}

    Text KeywordText() const override { return keyword_; }
    void RemoveAllRows() override { outcome_.rows.clear(); }
    int AppendRow() override {
        outcome_.rows.emplace_back();
        return static_cast<int>(outcome_.rows.size()) - 1;
    }
    void SetCellText(int row, int column, const Text& text) override {
        ResultRow& cells = outcome_.rows.at(static_cast<std::size_t>(row));
        (column == 0 ? cells.number : column == 1 ? cells.title : cells.link) = text;
    }
    void PageListed(int page, int matchCount) override {
        // Every page is fetched, and so reported, before the first is listed.
        if (page >= 1 && static_cast<std::size_t>(page) <= outcome_.pages.size()) {
            outcome_.pages[static_cast<std::size_t>(page) - 1].matchCount = matchCount;
        }
    }

private:
    Text keyword_;
    SearchOutcome& outcome_;
};

} // namespace

Text CommandLineText(std::string_view utf8) {
    return WideToMultiByte(Utf8ToWide(ByteSet(std::string(utf8))), kCodePageAnsi);
}

Text CommandLineKeyword(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        if (&word != &words.front()) {
            joined += ' ';
        }
        joined += word;
    }
    return CommandLineText(joined);
}

SearchOutcome RunSearch(const Text& keyword, const SearchHosts& hosts, const PageFetcher& fetch) {
    SearchOutcome outcome;
    CollectingView view(keyword, outcome);
    const PageFetcher reportingFetch = [&outcome, &fetch](const Text& address) {
        ByteSet body = fetch(address);
        outcome.pages.push_back({address, ByteCount(body), 0});
        return body;
    };
    OnSearchClicked(view, reportingFetch, hosts);
    return outcome;
}

} // namespace vellmora
