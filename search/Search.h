// The search behind the Search button: three result pages of the engine, listed as numbered rows.
#pragma once

#include "text/Text.h"

#include <functional>

namespace vellmora {

/// What the search needs of the window: the keyword in, the result list out. Rows and columns are
/// 0-based; column 0 holds the number, 1 the title, 2 the link.
class SearchView {
public:
    [[nodiscard]] virtual Text KeywordText() const = 0;
    virtual void RemoveAllRows() = 0;
    /// Adds an empty row after the last and answers its index.
    virtual int AppendRow() = 0;
    virtual void SetCellText(int row, int column, const Text& text) = 0;
    /// Told once page (1 to 3) has been listed, with the number of result headings found in it, 0 for
    /// a page that could not be fetched. The window has no use for it; a program that reports on the
    /// pages does.
    virtual void PageListed(int /*page*/, int /*matchCount*/) {}

protected:
    ~SearchView() = default;
};

/// The two hosts of the search addresses: the engine that answers "/s" and the sharing service whose
/// pages are searched for. Either may carry a port ("127.0.0.1:8080").
struct SearchHosts {
    Text searchHost;
    Text shareHost;
};

/// The hosts this build was configured with.
[[nodiscard]] SearchHosts BuiltInSearchHosts();

/// "http://" searchHost "/s?wd=site:" shareHost "+": every result-page address begins with it, and the
/// encoded keyword follows it directly.
[[nodiscard]] Text SearchAddressPrefix(const SearchHosts& hosts);

/// Gets the body of one result page; empty when nothing could be fetched.
using PageFetcher = std::function<ByteSet(const Text& address)>;

/// The whole search: empties the list, fetches and prepares result pages 1, 2 and 3 (the keyword read
/// anew for each), then lists every result heading of each page in page order, numbered from 1, 11
/// and 21. A page that cannot be fetched, or holds no heading, adds no rows; nothing else is reported.
void OnSearchClicked(SearchView& view, const PageFetcher& fetch, const SearchHosts& hosts);

} // namespace vellmora
