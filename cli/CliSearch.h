// The window's search run for the command line: the keyword taken from the arguments, the rows and
// what each page brought collected for printing.
#pragma once

#include "cli/RowOutput.h"
#include "search/HttpGet.h"
#include "search/Search.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellmora {

/// Command-line text (UTF-8) in GBK, converted as the window converts the text of its keyword box:
/// through UTF-16, best fit and "?" included, without the composite check.
[[nodiscard]] Text CommandLineText(std::string_view utf8);

/// The keyword of the arguments: words joined by single spaces, in GBK. Empty for no words.
[[nodiscard]] Text CommandLineKeyword(const std::vector<std::string>& words);

/// What one result page brought: its address, the bytes received and the result headings found.
struct PageReport {
    Text address;
    int byteCount = 0;
    int matchCount = 0;
};

struct SearchOutcome {
    std::vector<ResultRow> rows;
    /// One report for each page, in page order.
    std::vector<PageReport> pages;
};

/// Runs the search behind the window's Search button for keyword against hosts, fetching pages with
/// fetch, and answers the rows it lists and what each page brought.
[[nodiscard]] SearchOutcome RunSearch(const Text& keyword, const SearchHosts& hosts,
                                      const PageFetcher& fetch = HttpGet);

} // namespace vellmora
