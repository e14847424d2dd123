// Test support: Text and ByteSet shown as hexadecimal bytes in failure messages.
#pragma once

#include "text/Text.h"

#include <ostream>
#include <string_view>

namespace vellmora {

inline void PrintHex(std::string_view bytes, std::ostream* os) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    constexpr std::size_t kShown = 64; // a page in a failure message helps nobody
    *os << '[';
    for (std::size_t i = 0; i < bytes.size() && i < kShown; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        *os << (i ? " " : "") << kDigits[b >> 4] << kDigits[b & 15];
    }
    if (bytes.size() > kShown) {
        *os << " ... " << bytes.size() << " bytes";
    }
    *os << ']';
}

inline void PrintTo(const Text& t, std::ostream* os) {
    PrintHex(t.View(), os);
}
inline void PrintTo(const ByteSet& b, std::ostream* os) {
    PrintHex(b.View(), os);
}

} // namespace vellmora
