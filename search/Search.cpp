#include "search/Search.h"

#include "regex/RegexMatcher.h"
#include "text/ReplaceMany.h"
#include "text/UrlDecode.h"
#include "text/UrlEncode.h"

#include <array>

namespace vellmora {
namespace {

constexpr int kPageCount = 3;

// The query after the keyword, for pages 1 to 3, sent as written.
const char* const kQuerySuffixes[kPageCount] = {
    "&rsv_bp=0&ch=&tn=baidu&bar=&rsv_spt=3&ie=utf-8&rsv_n=2&rsv_sug3=4&rsv_sug1=3&rsv_sug4=384&inputT=4358",
    "&pn=10&ie=utf-8",
    "&pn=20&ie=utf-8",
};

// Each result heading's link (group 1) and title (group 2). Both groups are lazy, so each stops at
// the first place where the rest of the pattern can follow.
const char* const kResultPattern = "\"  href=\"(.*?)\"   target=\"_blank\" >(.*?)</a></h3>";

// The page as the pattern reads it: escapes decoded, GBK, highlight tags gone.
Text PreparePage(const ByteSet& body) {
    return ReplaceMany(UrlDecode(BytesToText(body)), {}, {}, false, {Text("<em>"), Text()},
                       {Text("</em>"), Text()});
}

// Page 1 numbers its rows as integers; pages 2 and 3 add their offset in real arithmetic. Both write
// whole numbers as plain digits.
Text RowNumber(int page, int match) {
    return page == 1 ? IntToText(match) : RealToText(match + 10.0 * (page - 1));
}

} // namespace

SearchHosts BuiltInSearchHosts() {
    return {Text(VELLMORA_SEARCH_HOST), Text(VELLMORA_SHARE_HOST)};
}

Text SearchAddressPrefix(const SearchHosts& hosts) {
    return ConcatText(Text("http://"), hosts.searchHost, Text("/s?wd=site:"), hosts.shareHost, Text("+"));
}

void OnSearchClicked(SearchView& view, const PageFetcher& fetch, const SearchHosts& hosts) {
    RegexMatcher matcher;
    view.RemoveAllRows();

    // Fetch every page before listing any, so the rows of a search appear together.
    std::array<Text, kPageCount> pages;
    for (int p = 1; p <= kPageCount; ++p) {
        // Read anew for each page: the user may edit the box while the keyword is being encoded.
        const Text encoded = UrlEncode(view.KeywordText());
        const Text address = ConcatText(SearchAddressPrefix(hosts), encoded, Text(kQuerySuffixes[p - 1]));
        pages[p - 1] = PreparePage(fetch(address));
    }

    for (int p = 1; p <= kPageCount; ++p) {
        matcher.Create(Text(kResultPattern), pages[p - 1]);
        const int n = matcher.GetMatchCount();
        for (int i = 1; i <= n; ++i) {
            const int row = view.AppendRow();
            view.SetCellText(row, 0, RowNumber(p, i));
            view.SetCellText(row, 1, matcher.GetSubMatchText(i, 2));
            view.SetCellText(row, 2, matcher.GetSubMatchText(i, 1));
        }
        view.PageListed(p, n);
    }
}

} // namespace vellmora
