// Our GBK conversions against Microsoft's published best-fit table for code page 936, which
// describes what the Windows converter does, and against the derived list of composable pairs.
#include "tests/text/Hex.h"
#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace vellmora {
namespace {

struct BestFitTable {
    std::map<unsigned, char16_t> singleBytes; // byte → code unit
    std::map<unsigned, char16_t> pairs;       // lead × 256 + trail → code unit
    std::map<char16_t, unsigned> fromUnicode; // code unit → bytes (≤ 0xFF: one byte)
};

std::vector<std::string> Fields(const std::string& line) {
    std::istringstream in(line.substr(0, line.find(';')));
    std::vector<std::string> fields;
    for (std::string field; in >> field;) {
        fields.push_back(field);
    }
    return fields;
}

BestFitTable ReadBestFitTable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    BestFitTable table;
    std::string section;
    unsigned lead = 0x80;
    for (std::string line; std::getline(file, line);) {
        const std::vector<std::string> f = Fields(line);
        if (f.empty()) {
            continue;
        }
        if (f[0].rfind("0x", 0) != 0) {
            section = f[0];
            if (section == "DBCSTABLE") {
                ++lead; // the tables follow one another from lead byte 0x81 on
            }
            continue;
        }
        const auto a = static_cast<unsigned>(std::stoul(f[0], nullptr, 16));
        const auto b = static_cast<unsigned>(std::stoul(f[1], nullptr, 16));
        if (section == "MBTABLE") {
            table.singleBytes[a] = static_cast<char16_t>(b);
        } else if (section == "DBCSTABLE") {
            table.pairs[lead << 8 | a] = static_cast<char16_t>(b);
        } else if (section == "WCTABLE") {
            table.fromUnicode[static_cast<char16_t>(a)] = b;
        }
    }
    return table;
}

std::string GbkBytes(unsigned value) {
    return value > 0xFF ? std::string{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)}
                        : std::string(1, static_cast<char>(value));
}

ByteSet WideOf(char16_t unit) {
    return ByteSet(std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)});
}

std::optional<char16_t> DecodedUnit(const ByteSet& wide) {
    // One code unit and the terminator.
    if (ByteCount(wide) != 4 || ByteAt(wide, 3) != 0 || ByteAt(wide, 4) != 0) {
        return std::nullopt;
    }
    return static_cast<char16_t>(ByteAt(wide, 1) | ByteAt(wide, 2) << 8);
}

class Cp936Oracle : public testing::Test {
protected:
    static void SetUpTestSuite() { table_ = ReadBestFitTable(VELLMORA_TEST_DATA_DIR "/bestfit936.txt"); }
    static BestFitTable table_;
};
BestFitTable Cp936Oracle::table_;

TEST_F(Cp936Oracle, TableIsComplete) {
    EXPECT_EQ(table_.singleBytes.size(), 130u);
    EXPECT_EQ(table_.pairs.size(), 23940u);
    EXPECT_EQ(table_.fromUnicode.size(), 24482u);
}

TEST_F(Cp936Oracle, EveryCodeUnitEncodesAsTheTableSays) {
    int mismatches = 0;
    int compared = 0;
    for (unsigned u = 1; u <= 0xFFFF; ++u) { // U+0000 would end the text; it is the terminator
        if (u >= 0xD800 && u <= 0xDFFF) {
            continue;
        }
        ++compared;
        const auto entry = table_.fromUnicode.find(static_cast<char16_t>(u));
        const std::string expected = entry == table_.fromUnicode.end() ? "?" : GbkBytes(entry->second);
        const Text actual = WideToAnsi(WideOf(static_cast<char16_t>(u)));
        if (actual != Text(expected) && ++mismatches <= 20) {
            ADD_FAILURE() << "U+" << std::hex << u << ": " << testing::PrintToString(actual) << ", table "
                          << testing::PrintToString(Text(expected));
        }
    }
    EXPECT_EQ(compared, 63488 - 1);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Cp936Oracle, EveryDefinedByteSequenceDecodesAsTheTableSays) {
    int mismatches = 0;
    auto check = [&](const std::string& bytes, char16_t expected) {
        const std::optional<char16_t> actual = DecodedUnit(AnsiToWide(Text(bytes), kCodePageGbk));
        if (actual != expected && ++mismatches <= 20) {
            ADD_FAILURE() << testing::PrintToString(Text(bytes)) << ": table U+" << std::hex << int{expected};
        }
    };
    for (const auto& [byte, unit] : table_.singleBytes) {
        if (byte != 0) { // a zero byte cannot stand in a text
            check(GbkBytes(byte), unit);
        }
    }
    for (const auto& [bytes, unit] : table_.pairs) {
        check(GbkBytes(bytes), unit);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Cp936Oracle, ListedPairsComposeToTheirCharacter) {
    std::ifstream file(VELLMORA_TEST_DATA_DIR "/compose-pairs.txt");
    int pairs = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream in(line);
        std::string base, mark, composed, bytes;
        in >> base >> mark >> composed >> bytes;
        const auto b = static_cast<char16_t>(std::stoul(base, nullptr, 16));
        const auto m = static_cast<char16_t>(std::stoul(mark, nullptr, 16));
        const std::string wide = WideOf(b).Bytes() + WideOf(m).Bytes();
        EXPECT_EQ(WideToAnsi(ByteSet(wide)),
                  Text(GbkBytes(static_cast<unsigned>(std::stoul(bytes, nullptr, 16)))))
            << line;
        ++pairs;
    }
    EXPECT_EQ(pairs, 117);
}

} // namespace
} // namespace vellmora
