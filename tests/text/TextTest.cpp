#include "text/Text.h"

#include "tests/text/Hex.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

namespace vellmora {
namespace {

using namespace std::string_literals;

const Text kHexDigits("0123456789ABCDEF");

TEST(Text, NeverHoldsAZeroByte) {
    EXPECT_EQ(Text("\x41\x00\x42"s), Text("\x41"));
    EXPECT_EQ(Text("\x00\x41"s), Text());
    EXPECT_EQ(BytesToText(ByteSet("\x41\x00\x42"s)), Text("\x41"));
    EXPECT_EQ(BytesToText(ByteSet("\x00\x41"s)), Text());
    EXPECT_EQ(ConcatText(Text("a"), Text(), Text("\xD6\xD0")), Text("a\xD6\xD0"));
    EXPECT_EQ(TextToBytes(Text()), ByteSet());
    EXPECT_EQ(TextToBytes(Text("\xD6\xD0")), ByteSet("\xD6\xD0"));
}

TEST(Text, MidTextCountsBytes) {
    struct Case {
        const char* text;
        int start;
        int count;
        const char* expected;
    } cases[] = {
        {"abc", 4, 1, ""}, // one past the end
        {"abc", 0, 2, ""}, // positions are 1-based
        {"abc", 1, 0, ""},
        {"abc", 1, -3, ""},
        {"abc", 2, 5, "bc"},        // count cut back to what remains
        {"abc", 3, INT_MAX, "c"},   // no overflow on a huge count
        {"\xD6\xD0", 2, 1, "\xD0"}, // may cut a two-byte character in half
        {"", 1, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MidText(Text(c.text), c.start, c.count), Text(c.expected))
            << c.text << " " << c.start << " " << c.count;
    }
}

TEST(Text, CharFromCodeTakesTheLowByte) {
    EXPECT_EQ(CharFromCode(0), Text());
    EXPECT_EQ(CharFromCode(256), Text());
    EXPECT_EQ(CharFromCode(-34), Text("\xDE"));
    EXPECT_EQ(CharFromCode(0x41), Text("A"));
    EXPECT_EQ(CharFromCode(0x1FF), Text("\xFF"));
}

TEST(Text, FindTextEdges) {
    struct Case {
        const char* text;
        const char* sub;
        std::optional<int> start;
        bool ignoreCase;
        int expected;
    } cases[] = {
        {"0123456789ABCDEF", "", {}, false, 1},
        {"", "", {}, false, -1},
        {"0123456789ABCDEF", "", 17, false, -1}, // start beyond the end
        {"0123456789ABCDEF", "", 5, false, 1},   // empty sub: 1 whatever the start
        {"0123456789ABCDEF", "G", {}, false, -1},
        {"0123456789ABCDEF", "F", {}, false, 16},
        {"0123456789ABCDEF", "f", {}, false, -1},
        {"0123456789ABCDEF", "f", {}, true, 16},
        {"abcabc", "abc", 2, false, 4},
        {"abcabc", "abc", -7, false, 1},     // a start below 1 means the beginning
        {"\xB0\x41", "\x41", {}, false, -1}, // never inside a two-byte character
        {"\xB0\x41\x41", "\x41", {}, false, 3},
        {"\xB0\x41", "\xB0\x41", {}, false, 1},
        {"\xB0\x61", "\xB0\x41", {}, true, 1}, // folding covers the whole compared span
        {"\xB0\x61", "\xB0\x41", {}, false, -1},
        {"\xB0", "x", {}, false, -1}, // a lead byte at the end stops the scan
        {"\xB0", "\xB0", {}, false, 1},
        // The scan pairs bytes from where it starts: B0B0 B041, then B0B0 B0B0 41.
        {"\xB0\xB0\xB0\x41", "\xB0\x41", {}, false, 3},
        {"a\xB0\xB0\xB0\x41", "\xB0\x41", {}, false, 4},
        {"\xB0\xB0\xB0\xB0\x41", "\xB0\x41", {}, false, -1},
        {"\xB0\xB0\x41\xB0\x41", "\xB0\x41", {}, false, 4},
        {"\xB0\xB0\xB0\x41", "\xB0\x41", 2, false, -1}, // from 2 it pairs B0B0, leaving 41
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindText(Text(c.text), Text(c.sub), c.start, c.ignoreCase), c.expected)
            << testing::PrintToString(Text(c.text)) << " / " << testing::PrintToString(Text(c.sub));
    }
}

TEST(Text, ToUpperOnlySingleByteLetters) {
    EXPECT_EQ(ToUpper(Text("aZ09z{`")), Text("AZ09Z{`"));
    EXPECT_EQ(ToUpper(Text("\xB0\x61"
                           "a")),
              Text("\xB0\x61"
                   "A"));                                   // second byte 0x61 stays
    EXPECT_EQ(ToUpper(Text("\xA3\xE1")), Text("\xA3\xE1")); // full-width a stays
    EXPECT_EQ(ToUpper(Text("a\xB0")), Text("A\xB0"));
}

TEST(Text, ReplaceTextEdges) {
    struct Case {
        const char* text;
        const char* find;
        const char* replacement;
        std::optional<int> start;
        std::optional<int> count;
        bool caseSensitive;
        const char* expected;
    } cases[] = {
        {"a<em>b", "", "x", {}, {}, false, "a<em>b"},
        {"a<EM>b<em>c<Em>", "<em>", "", {}, {}, false, "abc"},
        {"a<EM>b<em>c", "<em>", "", {}, {}, true, "a<EM>bc"},
        {"aaaa", "aa", "a", {}, {}, false, "aa"},    // matches do not overlap
        {"aaa", "a", "aa", {}, {}, false, "aaaaaa"}, // replaced text is not searched again
        {"ababab", "ab", "x", {}, 2, false, "xxab"},
        {"ababab", "ab", "x", {}, -1, false, "xxx"}, // a negative count never runs out
        {"ababab", "ab", "x", {}, 0, false, "ababab"},
        {"ababab", "ab", "x", 2, {}, false, "abxx"},
        {"ababab", "ab", "x", 7, {}, false, "ababab"}, // start past the end
        {"", "a", "x", {}, {}, false, ""},
        {"\xB0\x41\x41", "\x41", "x", {}, {}, false, "\xB0\x41x"},
        {"\xB0\x61"
         "A",
         "a",
         "x",
         {},
         {},
         false,
         "\xB0\x61x"},
        {"ab\xB0", "\xB0", "x", {}, {}, false, "abx"},
        {"\xB0\xB0\xB0", "\xB0", "x", {}, {}, false, "xxx"}, // the scan goes on right after a match
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            ReplaceText(Text(c.text), Text(c.find), Text(c.replacement), c.start, c.count, c.caseSensitive),
            Text(c.expected))
            << c.text << " / " << c.find;
    }
}

TEST(Text, CompareTextUnsigned) {
    EXPECT_EQ(CompareText(Text(), Text()), 0);
    EXPECT_EQ(CompareText(Text(), Text("a")), -1);
    EXPECT_EQ(CompareText(Text("ab"), Text("a")), 1);
    EXPECT_EQ(CompareText(Text("\x80"), Text("\x7F")), 1); // 0x80 is larger, whatever char's sign
    EXPECT_EQ(CompareText(Text("a\xFF"), Text("a\x01")), 1);
    EXPECT_EQ(CompareText(Text("%"), Text("%")), 0);
}

TEST(Text, NumbersAsPrintfWritesThem) {
    EXPECT_EQ(IntToText(-5), Text("-5"));
    EXPECT_EQ(IntToText(INT_MIN), Text("-2147483648"));
    EXPECT_EQ(RealToText(11.0), Text("11"));
    EXPECT_EQ(RealToText(0.1 + 0.2), Text("0.3"));
    EXPECT_EQ(RealToText(1e20), Text("1e+20"));
    EXPECT_EQ(RealToText(-2.5), Text("-2.5"));
}

TEST(Text, TruncateToIntegerTowardZero) {
    EXPECT_EQ(TruncateToInteger(2.9), 2);
    EXPECT_EQ(TruncateToInteger(-2.9), -2);
    EXPECT_EQ(TruncateToInteger(-1.5), -1);
    // Beyond the range a plain cast is undefined behaviour; these saturate.
    EXPECT_EQ(TruncateToInteger(1e12), INT_MAX);
    EXPECT_EQ(TruncateToInteger(-1e12), INT_MIN);
    EXPECT_EQ(TruncateToInteger(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ByteSet, Operations) {
    const ByteSet bytes("\x00\x80\xFF"s);
    EXPECT_EQ(ByteCount(bytes), 3);
    EXPECT_EQ(ByteAt(bytes, 1), 0x00);
    EXPECT_EQ(ByteAt(bytes, 2), 0x80);
    EXPECT_EQ(ByteAt(bytes, 3), 0xFF);
    EXPECT_EQ(ByteAt(bytes, 4), 0); // outside: never read past the end
    EXPECT_EQ(ByteCount(ByteSet()), 0);
    EXPECT_EQ(BlankBytes(0), ByteSet());
    EXPECT_EQ(BlankBytes(-1), ByteSet());
    EXPECT_EQ(BlankBytes(2), ByteSet("\x00\x00"s));
}

// The character scan exactly as the operations describe it, one character at a time. The real
// FindText and ReplaceText skip ahead with memchr and must agree with it on every input.
int ReferenceFind(std::string_view t, std::string_view sub, std::size_t from, bool fold) {
    auto same = [&](std::size_t at) {
        for (std::size_t k = 0; k < sub.size(); ++k) {
            auto a = static_cast<unsigned char>(t[at + k]), b = static_cast<unsigned char>(sub[k]);
            if (fold) {
                a = (a >= 'A' && a <= 'Z') ? static_cast<unsigned char>(a + 32) : a;
                b = (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : b;
            }
            if (a != b) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t i = from; i + sub.size() <= t.size();) {
        if (same(i)) {
            return static_cast<int>(i) + 1;
        }
        if (static_cast<unsigned char>(t[i]) >= 0x80) {
            if (i + 1 == t.size()) {
                break;
            }
            i += 2;
        } else {
            i += 1;
        }
    }
    return -1;
}

std::string ReferenceReplaceAll(std::string_view t, std::string_view find, std::string_view replacement,
                                bool fold) {
    std::string out;
    std::size_t copied = 0;
    for (int found = ReferenceFind(t, find, 0, fold); found > 0;
         found = ReferenceFind(t, find, copied, fold)) {
        out.append(t.substr(copied, static_cast<std::size_t>(found) - 1 - copied));
        out.append(replacement);
        copied = static_cast<std::size_t>(found) - 1 + find.size();
    }
    return out.append(t.substr(copied));
}

TEST(Text, CharacterScanAgreesWithReferenceOnRandomText) {
    // Few distinct bytes, so that matches, lead bytes and their trails collide often.
    const char alphabet[] = {'a', 'A', '<', '\xB0', '\xE1', '\x61'};
    std::mt19937 random(7);
    auto randomText = [&](std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), 'a');
        for (char& c : s) {
            c = alphabet[random() % sizeof alphabet];
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string t = randomText(24);
        std::string sub = randomText(3);
        if (sub.empty()) {
            sub = "a";
        }
        const bool fold = round % 2 == 0;
        const std::size_t from = random() % (t.size() + 1);
        const int expected = from < t.size() ? ReferenceFind(t, sub, from, fold) : -1;
        ASSERT_EQ(FindText(Text(t), Text(sub), static_cast<int>(from) + 1, fold), expected)
            << testing::PrintToString(Text(t)) << " / " << testing::PrintToString(Text(sub)) << " from "
            << from;
        ASSERT_EQ(ReplaceText(Text(t), Text(sub), Text("#"), {}, {}, !fold),
                  Text(ReferenceReplaceAll(t, sub, "#", fold)))
            << testing::PrintToString(Text(t)) << " / " << testing::PrintToString(Text(sub));
    }
}

} // namespace
} // namespace vellmora
