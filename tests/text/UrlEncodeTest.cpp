#include "text/UrlEncode.h"

#include "tests/text/Hex.h"
#include "text/Events.h"

#include <gtest/gtest.h>

namespace vellmora {
namespace {

TEST(UrlEncode, EscapesEveryUtf8Byte) {
    struct Case {
        const char* gbk;
        bool keepAlphanumerics;
        const char* expected;
    } cases[] = {
        {"\xD6\xD0", false, "%E4%B8%AD"},
        {"\xD6\xD0", true, "%E4%B8%AD"},
        {"ab", false, "%61%62"},
        {"ab", true, "ab"},
        {" ", false, "%20"},
        {" ", true, "%20"},
        {"\x09", false, "%09"},
        {"a-b.c/1,2", true, "a-b.c/1,2"},
        {"~_", true, "%7E%5F"},
        {"+&=", true, "%2B%26%3D"},
        {"\x80", false, "%E2%82%AC"},
        {"", false, ""},
        {"", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlEncode(Text(c.gbk), c.keepAlphanumerics), Text(c.expected)) << c.gbk;
    }
}

TEST(UrlEncode, OutputIsOnlyEscapesWithUpperCaseDigits) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) {
        everyByte += static_cast<char>(b);
    }
    const std::string out(UrlEncode(Text(everyByte)).View());
    ASSERT_EQ(out.size() % 3, 0u);
    for (std::size_t i = 0; i < out.size(); i += 3) {
        EXPECT_EQ(out[i], '%');
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(out[i + 1])) ||
                    (out[i + 1] >= 'A' && out[i + 1] <= 'F'));
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(out[i + 2])) ||
                    (out[i + 2] >= 'A' && out[i + 2] <= 'F'));
    }
}

TEST(UrlEncode, ProcessesEventsOncePerByteAndSurvivesReentry) {
    int calls = 0;
    Text inner;
    EventHook saved = SetEventHook([&] {
        if (++calls == 2) {
            inner = UrlEncode(Text("x")); // a second search from inside the first
        }
    });
    const Text outer = UrlEncode(Text("\xD6\xD0"
                                      "a"));
    SetEventHook(std::move(saved));
    EXPECT_EQ(outer, Text("%E4%B8%AD%61"));
    EXPECT_EQ(inner, Text("%78"));
    EXPECT_EQ(calls, 4 + 1); // four bytes outside, one inside
}

} // namespace
} // namespace vellmora
