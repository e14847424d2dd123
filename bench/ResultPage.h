// Synthetic search-engine result pages, shaped like the real ones, for benchmarks.
#pragma once

#include <cstddef>
#include <string>

namespace vellmora::bench {

/// A UTF-8 result page of exactly `size` bytes: long inline script and style lines, Chinese text,
/// percent-escaped links, <em> highlights and about ten result headings of the form the search
/// takes titles and links from. The same seed gives the same page.
[[nodiscard]] std::string MakeResultPage(std::size_t size, unsigned seed = 1);

} // namespace vellmora::bench
