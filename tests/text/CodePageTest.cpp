#include "text/CodePage.h"

#include "tests/text/Hex.h"

#include <gtest/gtest.h>

#include <random>

namespace vellmora {
namespace {

using namespace std::string_literals;

ByteSet Wide(std::u16string_view units) {
    std::string bytes;
    for (const char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return ByteSet(bytes);
}

TEST(CodePage, GbkAndUtf8RoundTrip) {
    EXPECT_EQ(AnsiToUtf8(Text("\xD6\xD0")), Text("\xE4\xB8\xAD"));
    EXPECT_EQ(AnsiToUtf8(Text("plain ascii")), Text("plain ascii"));
    EXPECT_EQ(AnsiToUtf8(Text()), Text());
    EXPECT_EQ(Utf8ToAnsi(ByteSet("\xE4\xB8\xAD")), Text("\xD6\xD0"));
    EXPECT_EQ(Utf8ToAnsi(ByteSet()), Text());
    EXPECT_EQ(AnsiToUtf8(Text("\x80")), Text("\xE2\x82\xAC")); // euro sign
    EXPECT_EQ(AnsiToUtf8(Text("\xFF")), Text("\xEF\xA3\xB5")); // U+F8F5
}

TEST(CodePage, TerminatorRules) {
    EXPECT_EQ(AnsiToWide(Text("\xD6\xD0"), kCodePageGbk), ByteSet("\x2D\x4E\x00\x00"s));
    EXPECT_EQ(AnsiToWide(Text("\xD6\xD0"), kCodePageAnsi), ByteSet("\x2D\x4E\x00\x00"s));
    EXPECT_EQ(AnsiToWide(Text("\xE4\xB8\xAD")), ByteSet("\x2D\x4E\x00\x00"s)); // default: UTF-8
    EXPECT_EQ(AnsiToWide(Text()), ByteSet());
    EXPECT_EQ(AnsiToWide(Text("a"), 1252), ByteSet()); // a code page this program does not know
    EXPECT_EQ(Utf8ToWide(ByteSet("\xE4\xB8\xAD")), ByteSet("\x2D\x4E"));
    EXPECT_EQ(Utf8ToWide(ByteSet()), ByteSet());
    // Readers stop at the first zero code unit; WideToAnsi reads whole units, ignoring an odd byte.
    EXPECT_EQ(WideToMultiByte(Wide(u"ab\0c"s), kCodePageUtf8), Text("ab"));
    EXPECT_EQ(WideToMultiByte(Wide(u"\x4E2D"), kCodePageGbk), Text("\xD6\xD0"));
    EXPECT_EQ(WideToAnsi(Wide(u"ab\0c"s)), Text("ab"));
    EXPECT_EQ(WideToAnsi(ByteSet("\x41\x00\x42"s)), Text("A"));
    EXPECT_EQ(Utf8ToAnsi(ByteSet("\x41\x00\x42"s)), Text("A"));
}

TEST(CodePage, GbkDecodingOfBadBytesGivesQuestionMarks) {
    EXPECT_EQ(AnsiToWide(Text("\x41\xD6"), kCodePageGbk), Wide(u"A?\0"s));     // lead byte at the end
    EXPECT_EQ(AnsiToWide(Text("\xAA\xA1"), kCodePageGbk), Wide(u"\xE000\0"s)); // user-defined area
}

TEST(CodePage, GbkEncodingOfUnmappedUnits) {
    struct Case {
        std::u16string units;
        const char* gbk;
    } cases[] = {
        {u"\x00A5", "\xA3\xA4"},                     // best fit
        {u"\x00B7", "\xA1\xA4"},   {u"\xFEFF", "?"}, // default-ignorables do not vanish
        {u"\x200B", "?"},          {u"\xFFE9\xFFEA\xFFEB\xFFEC\xFFEE", "?????"},
        {u"\xD83D\xDE00x", "??x"}, // one "?" per surrogate
        {u"\xDC00", "?"},          // a lone surrogate
        {u"\xFFFD", "?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToAnsi(Wide(c.units)), Text(c.gbk)) << testing::PrintToString(Text(c.gbk));
    }
}

TEST(CodePage, CompositeCheckIsPairwise) {
    struct Case {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"e\xCC\x80", "\xA8\xA8"},             // e + U+0300 → è
        {"a\xCC\x83", "a?"},                   // ã has no mapping: converted one by one
        {"\xE4\xB8\xAD\xCC\x80", "\xD6\xD0?"}, // nothing composes with 中
        {"A\xCC\x80", "\xA8\xA4"},             // À, then its best fit à
        {"u\xCC\x88\xCC\x84", "\xA8\xB9?"},    // ü, then the macron alone: no chaining
        {"\xC3\xBC\xCC\x84", "\xA8\xB5"},      // precomposed ü + macron → ǖ
        {"=\xCC\xB8", "\xA1\xD9"},             // ≠
        {"\xF0\x9F\x98\x80x", "??x"},          // outside the BMP: one "?" per code unit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToAnsi(ByteSet(c.utf8)), Text(c.gbk)) << c.utf8;
    }
    // Only the conversion with the composite check composes.
    EXPECT_EQ(WideToMultiByte(Wide(u"e\x0300"), kCodePageGbk), Text("e?"));
}

TEST(CodePage, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string units;
    } cases[] = {
        {"\x80", u"\xFFFD"},           {"\xE4\xB8\x41", u"\xFFFD\x41"},
        {"\xC0\xAF", u"\xFFFD\xFFFD"}, {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"}, // one per maximal subpart
        {"\xFF", u"\xFFFD"},           {"\xF0\x90\x80", u"\xFFFD"},             // truncated at the end
        {"\xEF\xBB\xBF", u"\xFEFF"}, // a byte-order mark is kept as a character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWide(ByteSet(c.utf8)), Wide(c.units)) << testing::PrintToString(ByteSet(c.utf8));
    }
    EXPECT_EQ(Utf8ToAnsi(ByteSet("\xEF\xBB\xBF"
                                 "a")),
              Text("?a"));
    // Lone surrogates cannot be written as UTF-8.
    EXPECT_EQ(WideToMultiByte(Wide(u"\xD800"
                                   "a"),
                              kCodePageUtf8),
              Text("\xEF\xBF\xBD"
                   "a"));
}

TEST(CodePage, Utf8ToAnsiIsUtf8ToWideThenWideToAnsi) {
    // Utf8ToAnsi converts in one pass; on any bytes it must agree with the two steps it stands for.
    // The pieces are ASCII, whole and cut UTF-8 sequences, combining marks and stray bytes.
    const std::string pieces[] = {"e",        "A",
                                  "=",        "\xCC\x80",
                                  "\xCC\x88", "\xCC\x84",
                                  "\xCC\xB8", "\xE4\xB8\xAD",
                                  "\xE4\xB8", "\xF0\x9F\x98\x80",
                                  "\xF0\x9F", "\xED\xA0\x80",
                                  "\x80",     "\xBF",
                                  "\xC0",     "\xFF",
                                  "\xC3\xBC", "abcdefghij"};
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string utf8;
        for (int n = static_cast<int>(random() % 8); n > 0; --n) {
            utf8 += pieces[random() % std::size(pieces)];
        }
        ASSERT_EQ(Utf8ToAnsi(ByteSet(utf8)), WideToAnsi(Utf8ToWide(ByteSet(utf8))))
            << testing::PrintToString(ByteSet(utf8));
    }
}

} // namespace
} // namespace vellmora
