// Test support: a local stand-in for the search engine, answering "/s" on 127.0.0.1 with result pages
// of the form the search reads.
#pragma once

#include "tests/support/LoopbackServer.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellmora {

/// One result as the engine lists it, in UTF-8 and without highlight tags or escapes: what a search
/// should show for it after conversion to GBK.
struct FixtureResult {
    std::string title;
    std::string link;
};

/// Results per page.
inline constexpr int kFixtureResultsPerPage = 10;

/// The results of result page page (1, 2 or 3) for keyword (UTF-8) searched on shareHost.
[[nodiscard]] std::vector<FixtureResult> FixtureResults(std::string_view keyword, std::string_view shareHost,
                                                        int page);

/// The UTF-8 result page listing FixtureResults: each title with the keyword between <em> tags, each
/// link percent-escaped, inside the scripts, styles and abstracts of a realistic page.
[[nodiscard]] std::string FixtureResultPage(std::string_view keyword, std::string_view shareHost, int page);

/// The engine: answers "GET /s?wd=site:HOST+KEYWORD…[&pn=10|20]…" with FixtureResultPage and anything
/// else with 404. Serves one connection at a time until destroyed.
class FixtureEngine {
public:
    /// Listens at port, or at a port of the system's choice when port is 0.
    explicit FixtureEngine(int port = 0);

    /// "127.0.0.1:" and the port: the search host to point a search at.
    [[nodiscard]] std::string Host() const;
    /// The request target of every request so far, in order.
    [[nodiscard]] std::vector<std::string> Targets() const;

private:
    LoopbackServer server_;
};

} // namespace vellmora
