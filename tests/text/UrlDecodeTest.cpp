#include "text/UrlDecode.h"

#include "tests/text/Hex.h"
#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace vellmora {
namespace {

TEST(UrlDecode, DecodesEscapesThenConvertsToGbk) {
    struct Case {
        const char* page;
        const char* expected;
    } cases[] = {
        {"%E4%B8%AD", "\xD6\xD0"},
        {"%e4%b8%ad", "\xD6\xD0"},
        {"\xE4\xB8\xAD", "\xD6\xD0"}, // raw UTF-8 passes through to the conversion
        {"a%20b", "a b"},
        {"%25", "%"},
        {"%2541", "%41"}, // a decoded "%" is data, not a new escape
        {"a%00b", "ab"},  // a zero byte cannot stand in a text
        {"a+b", "a+b"},
        {"", ""},
        {"100% free", "100% free"}, // not an escape: kept literally
        {"%G1%4", "%G1%4"},
        {"%", "%"},
        {"ab%4", "ab%4"}, // too close to the end
        {"%%41", "%A"},   // the byte after a literal "%" may start an escape
        {"%E4%B8", "?"},  // truncated UTF-8 after decoding
        {"href=\"/s?wd=%E4%B8%AD&amp;x\"", "href=\"/s?wd=\xD6\xD0&amp;x\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlDecode(Text(c.page)), Text(c.expected)) << c.page;
    }
}

// Decoding as the plain two steps: every escape first, then the whole page from UTF-8 to GBK.
Text ReferenceUrlDecode(std::string_view page) {
    auto hex = [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) ? std::stoi(std::string(1, c), nullptr, 16) : -1;
    };
    std::string bytes;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '%' && i + 2 < page.size() && hex(page[i + 1]) >= 0 && hex(page[i + 2]) >= 0) {
            if (const int value = hex(page[i + 1]) * 16 + hex(page[i + 2]); value != 0) {
                bytes += static_cast<char>(value); // a text cannot hold a zero byte
            }
            i += 2;
        } else {
            bytes += page[i];
        }
    }
    return Utf8ToAnsi(ByteSet(bytes));
}

TEST(UrlDecode, AgreesWithThePlainTwoStepsAcrossBlocks) {
    // Pages far longer than the blocks the decoder works in, so that escapes, UTF-8 sequences and
    // base + mark pairs are cut at every kind of place.
    const std::string pieces[] = {"e",
                                  "%",
                                  "%C",
                                  "%CC%80",
                                  "\xCC\x80",
                                  "%E4%B8%AD",
                                  "\xE4\xB8\xAD",
                                  "\xE4",
                                  "%F0%9F%98%80",
                                  "\xF0\x9F\x98\x80",
                                  "%e4%b8",
                                  "%ZZ",
                                  "%00",
                                  "\xFF",
                                  "%25",
                                  "<em>",
                                  "abcdefghijklmnopqrstuvwxyz"};
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        std::string page;
        while (page.size() < 100000) {
            page += pieces[random() % std::size(pieces)];
        }
        const Text actual = UrlDecode(Text(page));
        const Text expected = ReferenceUrlDecode(page);
        const auto differ = std::mismatch(actual.View().begin(), actual.View().end(), expected.View().begin(),
                                          expected.View().end());
        ASSERT_EQ(actual, expected) << "round " << round << ", first difference at byte "
                                    << differ.first - actual.View().begin();
    }
}

} // namespace
} // namespace vellmora
