// The two output formats of vellmora-cli, from GBK rows to the bytes printed.
#include "cli/RowOutput.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace vellmora {
namespace {

// 中文 in GBK and in UTF-8.
constexpr char kChineseGbk[] = "\xD6\xD0\xCE\xC4";
constexpr char kChineseUtf8[] = "\xE4\xB8\xAD\xE6\x96\x87";

std::string Tsv(const std::vector<ResultRow>& rows) {
    std::ostringstream out;
    WriteTsv(out, rows);
    return out.str();
}

std::string Json(const std::vector<ResultRow>& rows) {
    std::ostringstream out;
    WriteJson(out, rows);
    return out.str();
}

TEST(RowOutput, TsvCellEscapesOnlyTheFourSeparatingBytes) {
    struct Case {
        std::string cell;
        std::string escaped;
    };
    const Case cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a\tb\rc\nd", "a\\tb\\rc\\nd"},
        // A backslash is doubled, so an escaped tab and a backslash before a t stay apart.
        {"\\t", "\\\\t"},
        {"\\\t", "\\\\\\t"},
        // Other control bytes, DEL and UTF-8 pass unchanged.
        {"\x01\x1F\x7F" + std::string(kChineseUtf8), "\x01\x1F\x7F" + std::string(kChineseUtf8)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeTsvCell(c.cell), c.escaped) << c.cell;
    }
}

TEST(RowOutput, TsvPrintsOneLinePerRowInUtf8) {
    EXPECT_EQ(Tsv({}), "");
    const std::vector<ResultRow> rows = {
        {Text("1"), Text(std::string(kChineseGbk) + "\tpdf"), Text("http://share.test/s/1")},
        {Text("21"), Text("a\\b\x0D\x0A"), Text("")},
    };
    EXPECT_EQ(Tsv(rows), "1\t" + std::string(kChineseUtf8) +
                             "\\tpdf\thttp://share.test/s/1\n"
                             "21\ta\\\\b\\r\\n\t\n");
}

TEST(RowOutput, JsonIsAnArrayOfRowsThatAParserReadsBack) {
    EXPECT_EQ(Json({}), "[]\n");

    // Every control byte, DEL, the characters JSON escapes itself, and GBK text.
    std::string controls;
    for (char c = 1; c < 0x20; ++c) {
        controls += c;
    }
    const std::string title = controls + "\x7F\"\\/" + kChineseGbk;
    const std::vector<ResultRow> rows = {
        {Text("1"), Text(title), Text("http://share.test/s/1?kw=" + std::string(kChineseGbk))},
        {Text("11"), Text(""), Text("x")},
    };
    const std::string json = Json(rows);

    // Only the layout's own line feeds are left raw: every control character inside a string is escaped.
    for (const char c : json) {
        EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != '\x7F'))
            << "raw byte " << static_cast<int>(c);
    }
    const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(json);
    const nlohmann::ordered_json expected = {
        {{"number", 1},
         {"title", controls + "\x7F\"\\/" + kChineseUtf8},
         {"link", "http://share.test/s/1?kw=" + std::string(kChineseUtf8)}},
        {{"number", 11}, {"title", ""}, {"link", "x"}},
    };
    EXPECT_EQ(parsed, expected); // ordered: the keys come as number, title, link
    EXPECT_TRUE(parsed[1]["number"].is_number_integer());
}

} // namespace
} // namespace vellmora
