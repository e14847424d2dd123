#include "regex/RegexMatcher.h"

#include "tests/text/Hex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace vellmora {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

// The texts of all matches, in order.
std::vector<Text> MatchTexts(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int i = 1; i <= matcher.GetMatchCount(); ++i) {
        texts.push_back(matcher.GetMatchText(i));
    }
    return texts;
}

// The byte position of every match, in order.
std::vector<int> MatchPositions(const RegexMatcher& matcher) {
    std::vector<int> positions;
    for (int i = 1; i <= matcher.GetMatchCount(); ++i) {
        int position = INT_MIN;
        (void)matcher.GetMatchText(i, &position);
        positions.push_back(position);
    }
    return positions;
}

std::vector<Text> Texts(std::initializer_list<const char*> texts) {
    std::vector<Text> out;
    for (const char* t : texts) {
        out.emplace_back(t);
    }
    return out;
}

TEST(RegexMatcher, NewMatcherHasNothing) {
    const RegexMatcher matcher;
    EXPECT_EQ(matcher.GetMatchCount(), 0);
    EXPECT_EQ(matcher.GetSubMatchCount(), 0);
    EXPECT_EQ(matcher.GetPattern(), Text());
    EXPECT_EQ(matcher.Replace(Text("x")), Text());
    int position = 7;
    EXPECT_EQ(matcher.GetMatchText(1, &position), Text());
    EXPECT_EQ(position, -1);
    position = 7;
    EXPECT_EQ(matcher.GetSubMatchText(1, 1, &position), Text());
    EXPECT_EQ(position, -1);
}

TEST(RegexMatcher, DefaultsAreIgnoreCaseMultilineGlobal) {
    const Text pattern("^ab");
    const Text subject("AB\nab\nxab");
    RegexMatcher byDefault;
    RegexMatcher spelledOut;
    ASSERT_TRUE(byDefault.Create(pattern, subject));
    ASSERT_TRUE(spelledOut.Create(pattern, subject, false, true, true));
    EXPECT_THAT(MatchTexts(byDefault), ElementsAre(Text("AB"), Text("ab")));
    EXPECT_EQ(MatchTexts(byDefault), MatchTexts(spelledOut));
    EXPECT_EQ(byDefault.GetPattern(), pattern);
}

TEST(RegexMatcher, Options) {
    struct Case {
        const char* pattern;
        const char* subject;
        bool caseSensitive;
        bool multiline;
        bool global;
        std::vector<Text> matches;
    } cases[] = {
        {"abc", "ABC abc", true, true, true, Texts({"abc"})},
        {"abc", "ABC abc", false, true, true, Texts({"ABC", "abc"})},
        {"a", "aAa", false, true, false, Texts({"a"})}, // not global: the first match only
        {"^b", "a\nb", false, false, true, {}},
        {"a$", "a\nb", false, true, true, Texts({"a"})},
        {"a$", "b\na\n", false, false, true, {}},         // "$" is the very end, not before a final line feed
        {"^", "a\n", false, true, true, Texts({"", ""})}, // and "^" also after a final line feed
        {"a.b", "a\nb a\rb", false, true, true, Texts({"a\rb"})}, // only a line feed stops "."
        {"a[^x]b", "a\nb", false, true, true, Texts({"a\nb"})},   // a class still takes it
        {"<(.*?)>", "<a><b>", false, true, true, Texts({"<a>", "<b>"})},
        // Empty matches: the next search starts one character on, so "b" is never reached.
        {"x*", "ab", false, true, true, Texts({"", "", ""})},
        {"x*|b", "b", false, true, true, Texts({"", ""})},
        // JavaScript syntax: an unset group's reference is empty, \u escapes, [] and [^].
        {"(a)?b\\1", "b", false, true, true, Texts({"b"})},
        {"\\u0041\\x42", "ab", false, true, true, Texts({"ab"})},
        {"a[]|[^]", "a\n", false, true, true, Texts({"a", "\n"})},
        // A character is matched whole: the trail byte 0x61 of the first character is not an "a".
        {"a",
         "\x81\x61"
         "a",
         false, true, true, Texts({"a"})},
        {".",
         "\xD6\xD0"
         "a",
         false, true, true, Texts({"\xD6\xD0", "a"})},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        EXPECT_TRUE(matcher.Create(Text(c.pattern), Text(c.subject), c.caseSensitive, c.multiline, c.global));
        EXPECT_THAT(MatchTexts(matcher), ElementsAreArray(c.matches))
            << c.pattern << " over " << testing::PrintToString(Text(c.subject));
    }
}

TEST(RegexMatcher, CaseFoldingCoversNonAsciiLetters) {
    struct Case {
        const char* lower;
        const char* upper;
    } cases[] = {
        {"z", "Z"},
        {"\xA6\xC1", "\xA6\xA1"}, // Greek alpha
        {"\xA6\xD8", "\xA6\xB8"}, // Greek omega
        {"\xA7\xD1", "\xA7\xA1"}, // Cyrillic a
        {"\xA7\xF1", "\xA7\xC1"}, // Cyrillic ya
        {"\xA3\xE1", "\xA3\xC1"}, // full-width a
        {"\xA3\xFA", "\xA3\xDA"}, // full-width z
        {"\xA2\xA1", "\xA2\xF1"}, // Roman numeral one
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        const Text lower(c.lower);
        const Text upper(c.upper);
        ASSERT_TRUE(matcher.Create(lower, upper));
        EXPECT_THAT(MatchTexts(matcher), ElementsAre(upper)) << testing::PrintToString(lower);
        ASSERT_TRUE(matcher.Create(upper, lower));
        EXPECT_THAT(MatchTexts(matcher), ElementsAre(lower)) << testing::PrintToString(lower);
        ASSERT_TRUE(matcher.Create(lower, upper, true));
        EXPECT_EQ(matcher.GetMatchCount(), 0) << testing::PrintToString(lower);
    }
    // Folding pairs letters with their own other case only.
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("\xA6\xC1"), Text("a\xA3\xC1\xA7\xA1\xA6\xC2")));
    EXPECT_EQ(matcher.GetMatchCount(), 0);
}

TEST(RegexMatcher, PositionsAreByteOffsetsOfTheText) {
    struct Case {
        const char* pattern;
        const char* subject;
        std::vector<int> positions;
    } cases[] = {
        {"aa", "aaaa", {0, 2}},
        {"a",
         "\xD6\xD0"
         "a",
         {2}},
        {"a|\xB9\xFA",
         "\xD6\xD0"
         "a\xB9\xFA"
         "a",
         {2, 3, 5}},
        // Bytes that are no GBK character still count as one character each.
        {"a",
         "\xFF\x80\x81\x20"
         "a",
         {4}},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.Create(Text(c.pattern), Text(c.subject)));
        EXPECT_THAT(MatchPositions(matcher), ElementsAreArray(c.positions)) << c.pattern;
    }
}

TEST(RegexMatcher, GroupPositionIsWhereTheGroupMatched) {
    RegexMatcher matcher;
    // Group 1's text "b" also stands at byte 1, between the start of the subject and the match.
    ASSERT_TRUE(matcher.Create(Text("-a(b)"), Text("ab-ab")));
    int position = INT_MIN;
    EXPECT_EQ(matcher.GetSubMatchText(1, 1, &position), Text("b"));
    EXPECT_EQ(position, 4);
    ASSERT_TRUE(matcher.Create(Text("(\xB9\xFA)x*(b)"), Text("\xD6\xD0"
                                                             "a\xB9\xFA"
                                                             "b")));
    EXPECT_EQ(matcher.GetSubMatchText(1, 1, &position), Text("\xB9\xFA"));
    EXPECT_EQ(position, 3);
    EXPECT_EQ(matcher.GetSubMatchText(1, 2, &position), Text("b"));
    EXPECT_EQ(position, 5);
}

// Every byte of 0x80 or more with every byte after it, followed by "!": the walk from code units to
// bytes must divide the bytes into characters exactly as the decoder did, malformed pairs included.
TEST(RegexMatcher, PositionsStayInStepOverEveryBytePair) {
    std::string subject;
    std::vector<int> expected;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x01; trail <= 0xFF; ++trail) {
            if (trail == '!') {
                continue;
            }
            subject += static_cast<char>(lead);
            subject += static_cast<char>(trail);
            expected.push_back(static_cast<int>(subject.size()));
            subject += '!';
        }
    }
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("!"), Text(subject)));
    EXPECT_EQ(MatchPositions(matcher), expected);
}

// A byte that is no GBK character is matched as "?", but a text handed back is the subject's own bytes
// at its position, as for every other character.
TEST(RegexMatcher, TextsAreTheSubjectsOwnBytesWhereTheyAreNoGbk) {
    // Found by fuzzing (case-sensitive, multiline, global): the lead byte D0 before a line feed was
    // matched by "." and came back as "?", which stands nowhere in the subject.
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("x\xD0"
                                    ".x*"),
                               Text("-\xD0\x0A"
                                    "y"),
                               true, true, true));
    EXPECT_THAT(MatchTexts(matcher), ElementsAre(Text("-"), Text("\xD0"), Text("y")));
    EXPECT_THAT(MatchPositions(matcher), ElementsAre(0, 1, 3));

    const struct Case {
        const char* pattern;
        const char* subject;
        const char* group; // group 1 of match 1
        int position;
    } cases[] = {
        {"(.)\x0A", "-\xD0\x0A", "\xD0", 1},
        {"(.b)",
         "a\xFF"
         "b",
         "\xFF"
         "b",
         1},
        {"(\\?)", "\x81\x7F", "\x81", 0}, // the engine's "?" for a lead byte without its trail byte
        {"(..)$", "a\x81", "a\x81", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(matcher.Create(Text(c.pattern), Text(c.subject))) << c.pattern;
        int position = INT_MIN;
        EXPECT_EQ(matcher.GetSubMatchText(1, 1, &position), Text(c.group)) << c.pattern;
        EXPECT_EQ(position, c.position) << c.pattern;
    }
}

TEST(RegexMatcher, MissingMatchesAndGroupsAreEmpty) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("(a)|(b)(x*)"), Text("ab")));
    ASSERT_EQ(matcher.GetMatchCount(), 2);
    EXPECT_EQ(matcher.GetSubMatchCount(), 3);
    struct Case {
        int match;
        int group;
        const char* text;
        int position;
    } cases[] = {
        {1, 1, "a", 0},       {1, 2, "", -1}, // took no part
        {2, 1, "", -1},       {2, 2, "b", 1},
        {2, 3, "", 2},                        // took part, matching nothing: it still has a place
        {2, 4, "", -1},                       // no such group
        {2, 0, "", -1},                       // groups count from 1
        {2, -1, "", -1},      {0, 1, "", -1}, // no such match
        {3, 1, "", -1},       {INT_MAX, INT_MAX, "", -1},
        {INT_MIN, 1, "", -1},
    };
    for (const Case& c : cases) {
        int position = INT_MIN;
        EXPECT_EQ(matcher.GetSubMatchText(c.match, c.group, &position), Text(c.text))
            << c.match << " " << c.group;
        EXPECT_EQ(position, c.position) << c.match << " " << c.group;
    }
    for (const int match : {0, 3, -1}) {
        int position = INT_MIN;
        EXPECT_EQ(matcher.GetMatchText(match, &position), Text()) << match;
        EXPECT_EQ(position, -1) << match;
    }
    // Without a position nothing is written.
    EXPECT_EQ(matcher.GetMatchText(2), Text("b"));
    EXPECT_EQ(matcher.GetSubMatchText(2, 2), Text("b"));
}

TEST(RegexMatcher, NoMatchIsStillSuccess) {
    RegexMatcher matcher;
    EXPECT_TRUE(matcher.Create(Text("(x)(y)"), Text("abc")));
    EXPECT_EQ(matcher.GetMatchCount(), 0);
    EXPECT_EQ(matcher.GetSubMatchCount(), 0);
    EXPECT_TRUE(matcher.Create(Text("(x)"), Text()));
    EXPECT_EQ(matcher.GetMatchCount(), 0);
    EXPECT_TRUE(matcher.Create(Text(), Text("ab"))); // the empty pattern matches everywhere
    EXPECT_EQ(matcher.GetMatchCount(), 3);
}

TEST(RegexMatcher, RejectedPatternLeavesNothingOfTheLastCreate) {
    for (const char* rejected : {"(a", "a)", "[a", "a**", "\\", "(?<n>a)(?<n>b)"}) {
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.Create(Text("(a)"), Text("aaa")));
        ASSERT_EQ(matcher.GetMatchCount(), 3);
        EXPECT_FALSE(matcher.Create(Text(rejected), Text("aaa"))) << rejected;
        EXPECT_EQ(matcher.GetMatchCount(), 0) << rejected;
        EXPECT_EQ(matcher.GetSubMatchCount(), 0) << rejected;
        EXPECT_EQ(matcher.GetMatchText(1), Text()) << rejected;
        EXPECT_EQ(matcher.GetPattern(), Text(rejected)); // as written, although rejected
        EXPECT_EQ(matcher.Replace(Text("x")), Text()) << rejected;
        // A later Create starts over.
        EXPECT_TRUE(matcher.Create(Text("b"), Text("abb")));
        EXPECT_THAT(MatchPositions(matcher), ElementsAre(1, 2));
    }
}

TEST(RegexMatcher, ReusedMatcherAnswersForTheLastSubjectOnly) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("b(.)"), Text("b1b2b3")));
    int position = INT_MIN;
    EXPECT_EQ(matcher.GetSubMatchText(3, 1, &position), Text("3")); // positions made for this subject
    EXPECT_EQ(position, 5);
    ASSERT_TRUE(matcher.Create(Text("c(.)"), Text("\xD6\xD0"
                                                  "c9")));
    EXPECT_EQ(matcher.GetMatchCount(), 1);
    EXPECT_EQ(matcher.GetSubMatchText(1, 1, &position), Text("9"));
    EXPECT_EQ(position, 3);
    EXPECT_EQ(matcher.GetSubMatchText(3, 1, &position), Text());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(matcher.Replace(Text("-")), Text("\xD6\xD0-"));
}

TEST(RegexMatcher, CopiesKeepWhatTheyWereCopiedFrom) {
    RegexMatcher original;
    ASSERT_TRUE(original.Create(Text("a(.)"), Text("a1xa2")));
    int position = INT_MIN;
    (void)original.GetSubMatchText(2, 1, &position); // positions made before the copy are shared
    const RegexMatcher copy = original;
    RegexMatcher assigned;
    assigned = original;
    ASSERT_TRUE(original.Create(Text("x"), Text("\xD6\xD0x"), true, true, false));
    for (const RegexMatcher* m : {&copy, static_cast<const RegexMatcher*>(&assigned)}) {
        EXPECT_EQ(m->GetPattern(), Text("a(.)"));
        EXPECT_THAT(MatchTexts(*m), ElementsAre(Text("a1"), Text("a2")));
        EXPECT_EQ(m->GetSubMatchText(2, 1, &position), Text("2"));
        EXPECT_EQ(position, 4);
        EXPECT_EQ(m->Replace(Text("<$1>")), Text("<1>x<2>"));
    }
    EXPECT_EQ(original.GetMatchText(1, &position), Text("x"));
    EXPECT_EQ(position, 2);
}

TEST(RegexMatcher, ReplacementSyntax) {
    struct Case {
        const char* pattern;
        const char* subject;
        const char* replacement;
        const char* expected;
        bool global = true;
    } cases[] = {
        {"(\\w+) (\\w+)", "ab cd", "$2 $1", "cd ab"},
        {"b", "abc", "[$&]", "a[b]c"},
        {"b", "abc", "[$`]", "a[a]c"},
        {"b", "abc", "[$']", "a[c]c"},
        {"b", "abc", "$$", "a$c"},
        {"b", "abc", "$", "a$c"}, // a "$" that introduces nothing is itself
        {"b", "abc", "$x$", "a$x$c"},
        {"b", "abc", "$1", "a$1c"}, // no such group
        {"(b)", "abc", "$0|$00", "a$0|$00c"},
        {"(b)", "abc", "$01", "abc"},
        {"(b)", "abc", "$10", "ab0c"},    // two digits that name no group: one digit and a literal
        {"(b)", "abc", "$2", "a$2c"},     // no such group
        {"(x)?b", "abc", "[$1]", "a[]c"}, // a group that took no part
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10-$1-$011", "j-a-a1"},
        {"a", "banana", "o", "bonono"},
        {"a", "banana", "o", "bonana", false},
        {"x*", "ab", "-", "-a-b-"},
        {"A", "aA", "x", "xx"}, // the options of the Create hold
        {"\xD6\xD0",
         "a\xD6\xD0"
         "b",
         "$&$&",
         "a\xD6\xD0\xD6\xD0"
         "b"},
        {"q", "abc", "x", "abc"},
        {"abc", "abc", "", ""},
    };
    for (const Case& c : cases) {
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.Create(Text(c.pattern), Text(c.subject), false, true, c.global));
        EXPECT_EQ(matcher.Replace(Text(c.replacement)), Text(c.expected))
            << c.pattern << " " << c.replacement;
    }
}

TEST(RegexMatcher, ReplaceLeavesTheMatchesAlone) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("a"), Text("aXa")));
    EXPECT_EQ(matcher.Replace(Text("$'")), Text("XaX"));
    EXPECT_THAT(MatchPositions(matcher), ElementsAre(0, 2));
}

// A group repeated over a long run needs more than the default JIT stack; the search must not give
// up and lose the match.
TEST(RegexMatcher, DeepBacktrackingStillMatches) {
    const std::string run(200000, 'a');
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("(a|b)*c"), Text(run + "c")));
    ASSERT_EQ(matcher.GetMatchCount(), 1);
    EXPECT_EQ(matcher.GetMatchText(1), Text(run + "c"));
}

} // namespace
} // namespace vellmora
