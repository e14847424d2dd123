#include "text/UrlDecode.h"

#include "tests/text/Hex.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace vellmora
