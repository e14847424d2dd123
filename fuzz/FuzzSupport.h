// What the fuzz targets share: a check that stops the run with a message, and the splitting of a
// fuzzer's input into texts.
#pragma once

#include "text/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// An invariant that failed: libFuzzer keeps the input that made it fail as a crash.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace vellmora::fuzz {

inline std::string_view AsBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

/// The input cut at its zero bytes: a Text can hold none, so a zero byte is the natural separator.
/// Missing fields are empty.
inline std::vector<std::string> ZeroSeparatedFields(std::string_view bytes, std::size_t count) {
    std::vector<std::string> fields(count);
    for (std::size_t i = 0; i < count && !bytes.empty(); ++i) {
        const std::size_t zero = bytes.find('\0');
        fields[i] = std::string(bytes.substr(0, zero));
        bytes = zero == std::string_view::npos ? std::string_view() : bytes.substr(zero + 1);
    }
    return fields;
}

inline bool HoldsNoZeroByte(const Text& t) {
    return t.View().find('\0') == std::string_view::npos;
}

/// Whether bytes are well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
inline bool IsWellFormedUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace vellmora::fuzz
