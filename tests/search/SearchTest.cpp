// The search workflow driven through a fake window and a fake engine.
#include "search/Search.h"

#include "tests/support/RowsView.h"
#include "tests/text/Hex.h"
#include "text/Events.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace vellmora {
namespace {

using Row = RowsView::Row;

// Serves page bodies in the order asked for and keeps the addresses.
struct FakeEngine {
    std::vector<std::string> bodies;
    std::vector<Text> addresses;

    PageFetcher Fetcher() {
        return [this](const Text& address) {
            addresses.push_back(address);
            const std::size_t page = addresses.size() - 1;
            return ByteSet(page < bodies.size() ? bodies[page] : std::string());
        };
    }
};

const SearchHosts kHosts{Text("engine.test"), Text("share.test")};
const std::string kPrefix = "http://engine.test/s?wd=site:share.test+";

// One result heading as the engine writes it.
std::string Heading(const std::string& link, const std::string& title) {
    return "<h3 class=\"t\"><a data-click=\"{}\"  href=\"" + link + "\"   target=\"_blank\" >" + title +
           "</a></h3>\n";
}

std::string PageWith(int results) {
    std::string page = "<html><body>";
    for (int i = 1; i <= results; ++i) {
        page += Heading("http://share.test/s/" + std::to_string(i), "title " + std::to_string(i));
    }
    return page + "</body></html>";
}

std::vector<std::string> Numbers(const std::vector<Row>& rows) {
    std::vector<std::string> numbers;
    for (const Row& row : rows) {
        numbers.emplace_back(row[0].View());
    }
    return numbers;
}

std::vector<std::string> Range(int from, int to) {
    std::vector<std::string> numbers;
    for (int n = from; n <= to; ++n) {
        numbers.push_back(std::to_string(n));
    }
    return numbers;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Search, AddressesOfTheThreePages) {
    struct Case {
        const char* keyword;
        const char* encoded;
    } cases[] = {{"ab", "%61%62"}, {"", ""}, {"\xD6\xD0 x", "%E4%B8%AD%20%78"}};
    for (const Case& c : cases) {
        RowsView view;
        view.keyword = Text(c.keyword);
        FakeEngine engine;
        OnSearchClicked(view, engine.Fetcher(), kHosts);
        const std::string encoded = c.encoded;
        EXPECT_THAT(
            engine.addresses,
            testing::ElementsAre(Text(kPrefix + encoded +
                                      "&rsv_bp=0&ch=&tn=baidu&bar=&rsv_spt=3&ie=utf-8&rsv_n=2&rsv_sug3=4"
                                      "&rsv_sug1=3&rsv_sug4=384&inputT=4358"),
                                 Text(kPrefix + encoded + "&pn=10&ie=utf-8"),
                                 Text(kPrefix + encoded + "&pn=20&ie=utf-8")))
            << c.keyword;
        EXPECT_EQ(view.keywordReads, 3); // read anew for every page
    }
}

TEST(Search, RowsAreNumberedByPlaceInPagePlusThePageOffset) {
    struct Case {
        std::vector<std::string> bodies;
        std::vector<std::string> numbers;
    } cases[] = {
        {{PageWith(7), PageWith(10), PageWith(0)}, Concat(Range(1, 7), Range(11, 20))},
        {{PageWith(12), PageWith(3), ""}, Concat(Range(1, 12), Range(11, 13))},
        {{PageWith(2), "", PageWith(2)}, {"1", "2", "21", "22"}}, // page 2 could not be fetched
        {{"", "", ""}, {}},
        {{"<html>Service Unavailable</html>", PageWith(1), ""}, {"11"}},
    };
    for (const Case& c : cases) {
        RowsView view;
        FakeEngine engine{c.bodies, {}};
        OnSearchClicked(view, engine.Fetcher(), kHosts);
        EXPECT_EQ(Numbers(view.rows), c.numbers);
    }
}

TEST(Search, TitlesAndLinksComeOutPlainAndDecoded) {
    struct Case {
        std::string body;
        Row row;
    } cases[] = {
        {Heading("x", "a<em>b</em>c"), {Text("1"), Text("abc"), Text("x")}},
        {Heading("x", "a<EM>b</Em>c"), {Text("1"), Text("abc"), Text("x")}},
        {"<h3><a data-click=\"{}\"  HREF=\"x\"   TARGET=\"_blank\" >abc</A></H3>",
         {Text("1"), Text("abc"), Text("x")}},
        // Escapes anywhere in the page are decoded, and UTF-8 becomes GBK.
        {Heading("/s/%E4%B8%AD", "\xE4\xB8\xAD<em>\xE6\x96\x87</em>"),
         {Text("1"), Text("\xD6\xD0\xCE\xC4"), Text("/s/\xD6\xD0")}},
    };
    for (const Case& c : cases) {
        RowsView view;
        FakeEngine engine{{c.body}, {}};
        OnSearchClicked(view, engine.Fetcher(), kHosts);
        EXPECT_THAT(view.rows, testing::ElementsAre(c.row)) << c.body;
    }
}

TEST(Search, ASecondSearchStartsFromAnEmptyList) {
    RowsView view;
    view.rows.push_back({Text("1"), Text("old"), Text("old")});
    FakeEngine engine{{PageWith(1)}, {}};
    OnSearchClicked(view, engine.Fetcher(), kHosts);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0][1], Text("title 1"));
}

// A click handled while the keyword is encoded runs a whole second search inside the first. The
// inner search empties the list and lists its pages; the outer one then appends its own rows after
// them, numbered from 1 again. The keyword typed meanwhile is used for the pages read after it.
TEST(Search, ASearchStartedFromInsideAnotherKeepsItsOwnValues) {
    RowsView view;
    view.keyword = Text("a");
    FakeEngine inner{{PageWith(2), "", ""}, {}};
    FakeEngine outer{{PageWith(1), PageWith(1), ""}, {}};
    bool clicked = false;
    const EventHook saved = SetEventHook([&] {
        if (!clicked) {
            clicked = true;
            view.keyword = Text("b");
            OnSearchClicked(view, inner.Fetcher(), kHosts);
        }
    });
    OnSearchClicked(view, outer.Fetcher(), kHosts);
    SetEventHook(saved);

    EXPECT_EQ(Numbers(view.rows), (std::vector<std::string>{"1", "2", "1", "11"}));
    EXPECT_EQ(outer.addresses.at(0).View().substr(kPrefix.size(), 3), "%61");
    EXPECT_EQ(outer.addresses.at(1).View().substr(kPrefix.size(), 3), "%62");
    EXPECT_EQ(inner.addresses.at(0).View().substr(kPrefix.size(), 3), "%62");
}

} // namespace
} // namespace vellmora
