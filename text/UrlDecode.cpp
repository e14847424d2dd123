#include "text/UrlDecode.h"

#include "text/Gbk.h"

#include <algorithm>
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
    // Escapes are decoded block by block into one buffer, and each block is converted to GBK in the
    // same buffer while it is still in the cache. Decoding never lengthens the page.
    constexpr std::size_t kBlock = 32 * 1024;
    const std::string_view in = page.View();
    std::string buffer(in.size(), '\0');
    detail::Utf8ToGbkInPlace converter(buffer.data());
    std::size_t decoded = 0;
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t blockEnd = std::min(in.size(), i + kBlock);
        while (i < blockEnd) {
            const void* hit = std::memchr(in.data() + i, '%', blockEnd - i);
            const std::size_t percent =
                hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - in.data()) : blockEnd;
            in.copy(buffer.data() + decoded, percent - i, i);
            decoded += percent - i;
            i = percent;
            if (percent == blockEnd) {
                break;
            }
            // An escape may reach past the block; its digits are read from the page all the same.
            const int high = percent + 2 < in.size() ? HexValue(in[percent + 1]) : -1;
            const int low = high >= 0 ? HexValue(in[percent + 2]) : -1;
            if (low < 0) {
                // Not an escape: a literal "%", as in "100% free". Decoding goes on right after it.
                buffer[decoded++] = '%';
                i = percent + 1;
                continue;
            }
            if (const int value = high * 16 + low; value != 0) {
                buffer[decoded++] = static_cast<char>(value);
            }
            i = percent + 3;
        }
        converter.ConvertUpTo(decoded, i >= in.size());
    }
    buffer.resize(converter.GbkSize());
    return Text(std::move(buffer));
}

} // namespace vellmora
