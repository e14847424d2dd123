// The search's own use of the matcher: result headings taken out of a prepared result page.
#include "regex/RegexMatcher.h"
#include "tests/text/Hex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vellmora {
namespace {

// Link (group 1) and title (group 2) of each result heading.
const Text kResultPattern("\"  href=\"(.*?)\"   target=\"_blank\" >(.*?)</a></h3>");

struct Row {
    Text title;
    Text link;
    friend bool operator==(const Row&, const Row&) = default;
    friend void PrintTo(const Row& row, std::ostream* os) {
        PrintTo(row.title, os);
        *os << " ";
        PrintTo(row.link, os);
    }
};

// The rows the search lists for a page: Create with the options left out, then groups 2 and 1.
std::vector<Row> ListPage(RegexMatcher& matcher, const Text& page) {
    matcher.Create(kResultPattern, page);
    std::vector<Row> rows;
    const int n = matcher.GetMatchCount();
    for (int i = 1; i <= n; ++i) {
        rows.push_back({matcher.GetSubMatchText(i, 2), matcher.GetSubMatchText(i, 1)});
    }
    return rows;
}

Text ReadFixture(const char* name) {
    std::ifstream file(std::string(VELLMORA_TEST_DATA_DIR "/") + name, std::ios::binary);
    return Text(std::string(std::istreambuf_iterator<char>(file), {}));
}

TEST(ResultPattern, ListsTheHeadingsOfAPage) {
    const Text page = ReadFixture("regex-result-page.html");
    ASSERT_FALSE(page.IsEmpty());
    RegexMatcher matcher;
    // Not listed: the heading whose title holds a line feed, and the advertisement whose spacing
    // differs. Capital letters in attribute names and values do not matter.
    EXPECT_THAT(
        ListPage(matcher, page),
        testing::ElementsAre(
            Row{Text("\xD7\xCA\xD4\xB4 \xBA\xCF\xBC\xAF \xCF\xC2\xD4\xD8"),
                Text("http://www.baidu.com/link?url=Qm7aK2&amp;wd=\xD7\xCA\xD4\xB4")},
            Row{Text("\xB5\xE7\xD3\xB0 \xB0\xD9\xB6\xC8"), Text("http://www.baidu.com/link?url=Zx81pB")},
            Row{Text("\xBD\xCC\xB3\xCC \xB7\xD6\xCF\xED \xD6\xD0\xCE\xC4"),
                Text("http://www.baidu.com/link?url=Tt2Tt2")},
            Row{Text("abc"), Text("x")}));
    EXPECT_EQ(matcher.GetSubMatchCount(), 2);

    // Every text stands in the page where its position says, the link after the match's start and
    // the title after the link.
    for (int i = 1; i <= matcher.GetMatchCount(); ++i) {
        int at[3] = {INT_MIN, INT_MIN, INT_MIN};
        const Text texts[3] = {matcher.GetMatchText(i, &at[0]), matcher.GetSubMatchText(i, 1, &at[1]),
                               matcher.GetSubMatchText(i, 2, &at[2])};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(MidText(page, at[k] + 1, TextLength(texts[k])), texts[k]) << i << " " << k;
        }
        EXPECT_EQ(at[1], at[0] + 9) << i; // after the quote, two spaces, href= and a quote
        EXPECT_GT(at[2], at[1] + TextLength(texts[1])) << i;
    }
}

TEST(ResultPattern, OneMatcherServesSeveralPages) {
    const Text heading("<a class=\"c\"  href=\"x\"   target=\"_blank\" >abc</a></h3>");
    RegexMatcher matcher;
    EXPECT_EQ(ListPage(matcher, ConcatText(heading, Text("\n"), heading)).size(), 2U);
    EXPECT_THAT(ListPage(matcher, Text("<html>no results</html>")), testing::IsEmpty());
    EXPECT_THAT(ListPage(matcher, Text()), testing::IsEmpty());
    EXPECT_THAT(ListPage(matcher, heading), testing::ElementsAre(Row{Text("abc"), Text("x")}));
}

// Long single lines that make the lazy groups try again and again, and a valid heading after them:
// however long the search takes over the hostile line, the heading is still listed.
TEST(ResultPattern, AHostileLineLosesNoLaterHeading) {
    const std::string filler(2000, 'f');
    std::string unclosed; // starts of a link that never ends
    std::string nested;   // complete heads without the end of the heading
    for (int i = 0; i < 100; ++i) {
        unclosed += "<a class=\"c\"  href=\"http://e.com/" + filler;
        nested +=
            "<a class=\"c\"  href=\"http://e.com/" + std::to_string(i) + "\"   target=\"_blank\" >" + filler;
    }
    const std::string heading = "\n<a class=\"c\"  href=\"y\"   target=\"_blank\" >\xD6\xD0</a></h3>";
    for (const std::string& line : {unclosed, nested}) {
        RegexMatcher matcher;
        EXPECT_THAT(ListPage(matcher, Text(line + heading)),
                    testing::ElementsAre(Row{Text("\xD6\xD0"), Text("y")}));
    }
}

} // namespace
} // namespace vellmora
