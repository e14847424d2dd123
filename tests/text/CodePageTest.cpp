#include "text/CodePage.h"

#include "tests/text/Hex.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

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

// ICU's converter run over the whole text at once, as a reference for the run-by-run conversion.
std::u16string IcuWholeTextDecoding(const std::string& gbk) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-936-2000", &status);
    ucnv_setToUCallBack(
        converter,
        [](const void*, UConverterToUnicodeArgs* args, const char*, int32_t, UConverterCallbackReason reason,
           UErrorCode* error) {
            if (reason <= UCNV_IRREGULAR) {
                *error = U_ZERO_ERROR;
                const UChar questionMark = u'?';
                ucnv_cbToUWriteUChars(args, &questionMark, 1, 0, error);
            }
        },
        nullptr, nullptr, nullptr, &status);
    std::u16string units(gbk.size() + 1, u'\0');
    const int32_t n = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()), gbk.data(),
                                    static_cast<int32_t>(gbk.size()), &status);
    ucnv_close(converter);
    units.resize(static_cast<std::size_t>(n));
    return units;
}

TEST(CodePage, GbkDecodingAgreesWithIcuOverTheWholeText) {
    // ASCII is copied around ICU; pairs, bad second bytes (30, 7F, FF), 80, FF and lone lead bytes
    // must still come out as ICU would convert the whole text.
    const std::string pieces[] = {"a",        "0",        "\xD6\xD0",     "\xD6\x41", "\xD6\x30",
                                  "\xD6\x7F", "\xD6\xFF", "\x80",         "\xFF",     "\xD6",
                                  "\xAA\xA1", "\xA1\xA1", "xyz0123456789"};
    std::mt19937 random(3);
    for (int round = 0; round < 20000; ++round) {
        std::string gbk;
        for (int n = 1 + static_cast<int>(random() % 10); n > 0; --n) {
            gbk += pieces[random() % std::size(pieces)];
        }
        std::u16string expected = IcuWholeTextDecoding(gbk);
        expected.push_back(u'\0');
        ASSERT_EQ(AnsiToWide(Text(gbk), kCodePageGbk), Wide(expected)) << testing::PrintToString(Text(gbk));
    }
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
