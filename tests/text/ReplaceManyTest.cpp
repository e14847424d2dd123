#include "text/ReplaceMany.h"

#include "tests/text/Hex.h"

#include <gtest/gtest.h>

namespace vellmora {
namespace {

// The search's own call: remove every highlight tag, in any case.
Text RemoveHighlights(const Text& page) {
    return ReplaceMany(page, {}, {}, false, {Text("<em>"), Text()}, {Text("</em>"), Text()});
}

TEST(ReplaceMany, RemovesHighlightTags) {
    struct Case {
        const char* page;
        const char* expected;
    } cases[] = {
        {"a<em>b</em>c", "abc"},
        {"<EM>x</EM> <eM>y</Em>", "x y"},
        {"<em></em>", ""},
        {"<e<em>m>", "<em>"}, // the first pair does not search what it brought together
        {"\xD6\xD0<em>\xB9\xFA</em>", "\xD6\xD0\xB9\xFA"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveHighlights(Text(c.page)), Text(c.expected)) << c.page;
    }
}

TEST(ReplaceMany, LaterPairsSeeEarlierResults) {
    EXPECT_EQ(ReplaceMany(Text("ab"), {}, {}, false, {Text("a"), Text("b")}, {Text("bb"), Text("c")}),
              Text("c"));
}

TEST(ReplaceMany, CountAndStartApplyToEachPair) {
    EXPECT_EQ(ReplaceMany(Text("a<em>b<em>c</em>d</em>"), 1, {}, false, {Text("<em>"), Text()},
                          {Text("</em>"), Text()}),
              Text("ab<em>cd</em>"));
    EXPECT_EQ(ReplaceMany(Text("<em><em><em>"), {}, 5, false, {Text("<em>"), Text()}), Text("<em>"));
    EXPECT_EQ(ReplaceMany(Text("<em><em>"), {}, 0, false, {Text("<em>"), Text()}), Text()); // 0 means 1
    EXPECT_EQ(ReplaceMany(Text("<EM>"), {}, {}, true, {Text("<em>"), Text()}), Text("<EM>"));
}

TEST(ReplaceMany, EmptyFindTextsChangeNothing) {
    EXPECT_EQ(ReplaceMany(Text("abc"), {}, {}, false, {Text(), Text("x")}), Text("abc"));
}

} // namespace
} // namespace vellmora
