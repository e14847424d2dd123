#include "text/Text.h"

#include "text/CharSearch.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vellmora {
namespace {

int ClampToInt(std::size_t n) {
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// The byte offset a 1-based start position stands for: max(start − 1, 0), or 0 when omitted.
std::size_t StartOffset(std::optional<int> start) {
    return start && *start > 1 ? static_cast<std::size_t>(*start) - 1 : 0;
}

} // namespace

Text::Text(std::string bytes) : bytes_(std::move(bytes)) {
    if (const auto zero = bytes_.find('\0'); zero != std::string::npos) {
        bytes_.resize(zero);
    }
}

int TextLength(const Text& t) {
    return ClampToInt(t.View().size());
}

Text MidText(const Text& t, int start, int count) {
    const std::string_view bytes = t.View();
    if (start < 1 || static_cast<std::size_t>(start) > bytes.size() || count <= 0) {
        return {};
    }
    return Text(
        std::string(bytes.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count))));
}

Text CharFromCode(int code) {
    return Text(std::string(1, static_cast<char>(code & 0xFF)));
}

int FindText(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase) {
    const std::string_view bytes = t.View();
    const std::size_t from = StartOffset(start);
    if (from >= bytes.size()) {
        return -1;
    }
    if (sub.IsEmpty()) {
        return 1;
    }
    detail::CharSearch search(bytes, sub.View(), ignoreCase);
    const auto found = search.Next(from);
    return found ? ClampToInt(*found + 1) : -1;
}

Text ToUpper(const Text& t) {
    std::string bytes(t.View());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            ++i; // the second byte of a two-byte character is never a letter of its own
        } else if (c >= 'a' && c <= 'z') {
            bytes[i] = static_cast<char>(c - 0x20);
        }
    }
    return Text(std::move(bytes));
}

Text ReplaceText(const Text& t, const Text& find, const Text& replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive) {
    const std::string_view bytes = t.View();
    const std::size_t from = StartOffset(start);
    if (bytes.empty() || find.IsEmpty() || from >= bytes.size() || (count && *count == 0)) {
        return t;
    }
    const long long limit = count && *count > 0 ? *count : -1; // −1: no limit
    std::string out;
    out.reserve(bytes.size());
    detail::CharSearch search(bytes, find.View(), !caseSensitive);
    std::size_t copied = 0;
    long long replaced = 0;
    for (std::size_t at = from; replaced != limit;) {
        const auto found = search.Next(at);
        if (!found) {
            break;
        }
        out.append(bytes.substr(copied, *found - copied));
        out.append(replacement.View());
        at = copied = *found + find.View().size();
        ++replaced;
    }
    out.append(bytes.substr(copied));
    return Text(std::move(out));
}

int CompareText(const Text& a, const Text& b) {
    // std::string_view compares through char_traits<char>, which compares as unsigned char.
    const int order = a.View().compare(b.View());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Text IntToText(int v) {
    return Text(std::to_string(v));
}

Text RealToText(double v) {
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, "%.13g", v);
    return Text(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0));
}

ByteSet TextToBytes(const Text& t) {
    return ByteSet(t.Bytes());
}

Text BytesToText(const ByteSet& b) {
    return Text(b.Bytes());
}

int ByteCount(const ByteSet& b) {
    return ClampToInt(b.View().size());
}

int ByteAt(const ByteSet& b, int i) {
    // A position outside the set is a caller's mistake; answering 0 keeps it from reading past the end.
    if (i < 1 || static_cast<std::size_t>(i) > b.View().size()) {
        return 0;
    }
    return static_cast<unsigned char>(b.View()[static_cast<std::size_t>(i) - 1]);
}

ByteSet BlankBytes(int n) {
    return n > 0 ? ByteSet(std::string(static_cast<std::size_t>(n), '\0')) : ByteSet();
}

int TruncateToInteger(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    if (x >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (x <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(x); // conversion truncates toward zero
}

} // namespace vellmora
