#include "text/UrlDecode.h"

#include "text/CodePage.h"

#include <cstring>

namespace vellmora {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

Text UrlDecode(const Text& page) {
    const std::string_view in = page.View();
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const void* hit = std::memchr(in.data() + i, '%', in.size() - i);
        const std::size_t percent =
            hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - in.data()) : in.size();
        out.append(in.substr(i, percent - i));
        if (percent == in.size()) {
            break;
        }
        const int high = percent + 2 < in.size() ? HexValue(in[percent + 1]) : -1;
        const int low = high >= 0 ? HexValue(in[percent + 2]) : -1;
        if (low < 0) {
            // Not an escape: a literal "%", as in "100% free". Decoding goes on right after it.
            out.push_back('%');
            i = percent + 1;
            continue;
        }
        if (const int value = high * 16 + low; value != 0) {
            out.push_back(static_cast<char>(value));
        }
        i = percent + 3;
    }
    return Utf8ToAnsi(ByteSet(std::move(out)));
}

} // namespace vellmora
