#include "cli/RowOutput.h"

#include "text/CodePage.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace vellmora {
namespace {

std::string Utf8(const Text& cell) {
    return AnsiToUtf8(cell).Bytes();
}

// JSON asks only U+0000 to U+001F to be escaped, and the library escapes no more unless it escapes
// every character beyond ASCII, which would make Chinese titles unreadable. DEL is escaped here; the C1
// controls (U+0080 to U+009F) cannot come out of GBK. In UTF-8 a 0x7F byte is always DEL, and in the
// library's output it can stand only inside a string.
std::string EscapeDelete(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (const char c : json) {
        if (c == '\x7F') {
            out += "\\u007f";
        } else {
            out += c;
        }
    }
    return out;
}

// The search writes the number as plain decimal digits; anything else would be kept as a string.
nlohmann::ordered_json RowNumber(const Text& number) {
    const std::string_view digits = number.View();
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
        return Utf8(number);
    }
    return value;
}

} // namespace

std::string EscapeTsvCell(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    for (const char c : cell) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void WriteTsv(std::ostream& out, const std::vector<ResultRow>& rows) {
    for (const ResultRow& row : rows) {
        out << EscapeTsvCell(Utf8(row.number)) << '\t' << EscapeTsvCell(Utf8(row.title)) << '\t'
            << EscapeTsvCell(Utf8(row.link)) << '\n';
    }
}

void WriteJson(std::ostream& out, const std::vector<ResultRow>& rows) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ResultRow& row : rows) {
        nlohmann::ordered_json object;
        object["number"] = RowNumber(row.number);
        object["title"] = Utf8(row.title);
        object["link"] = Utf8(row.link);
        array.push_back(std::move(object));
    }
    // A byte that is not UTF-8 becomes U+FFFD rather than an exception.
    out << EscapeDelete(array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)) << '\n';
}

} // namespace vellmora
