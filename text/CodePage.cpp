#include "text/CodePage.h"

#include "text/Gbk.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vellmora {
namespace {

constexpr UChar32 kReplacementCharacter = 0xFFFD;

// --- UTF-8 ---

std::u16string DecodeUtf8(std::string_view bytes) {
    if (bytes.empty() || bytes.size() >= INT32_MAX) {
        return {};
    }
    std::u16string units(bytes.size(), u'\0'); // never more code units than bytes
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, bytes.data(),
                         static_cast<int32_t>(bytes.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        return {};
    }
    units.resize(static_cast<std::size_t>(length));
    return units;
}

std::string EncodeUtf8(std::u16string_view units) {
    if (units.empty() || units.size() >= INT32_MAX / 3) {
        return {};
    }
    std::string bytes(3 * units.size(), '\0'); // a code unit takes at most three bytes
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(bytes.data(), static_cast<int32_t>(bytes.size()), &length, units.data(),
                       static_cast<int32_t>(units.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        return {};
    }
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

bool IsGbk(int codePage) {
    return codePage == kCodePageGbk || codePage == kCodePageAnsi;
}

std::u16string UnitsUntilZero(const ByteSet& wide) {
    std::u16string units = WideUnits(wide);
    units.resize(std::min(units.size(), units.find(u'\0')));
    return units;
}

} // namespace

std::u16string GbkUnits(const Text& text) {
    return detail::DecodeGbk(text.View());
}

std::u16string WideUnits(const ByteSet& wide) {
    const std::string_view bytes = wide.View();
    std::u16string units(bytes.size() / 2, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.data(), bytes.data(), 2 * units.size());
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        }
    }
    return units;
}

ByteSet WideBytes(std::u16string_view units) {
    std::string bytes(2 * units.size(), '\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), units.data(), bytes.size());
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
        }
    }
    return ByteSet(std::move(bytes));
}

Text AnsiToUtf8(const Text& text) {
    // The same as WideToMultiByte(AnsiToWide(text, 936), 65001) without packing the code units into a
    // ByteSet and out again: decoding a Text never yields the zero code unit that would end it.
    return Text(EncodeUtf8(GbkUnits(text)));
}

Text Utf8ToAnsi(const ByteSet& bytes) {
    // The same as WideToAnsi(Utf8ToWide(bytes)) without the UTF-16 in between: pages are large. A
    // zero byte decodes to the zero code unit where the GBK result would end, so nothing after it counts.
    const std::string_view utf8 = bytes.View();
    return Text(detail::Utf8ToGbk(utf8.substr(0, utf8.find('\0'))));
}

ByteSet AnsiToWide(const Text& text, int codePage) {
    if (text.IsEmpty()) {
        return {};
    }
    std::u16string units;
    if (IsGbk(codePage)) {
        units = detail::DecodeGbk(text.View());
    } else if (codePage == kCodePageUtf8) {
        units = DecodeUtf8(text.View());
    } else {
        return {};
    }
    units.push_back(u'\0');
    return WideBytes(units);
}

Text WideToMultiByte(const ByteSet& wide, int codePage) {
    const std::u16string units = UnitsUntilZero(wide);
    if (IsGbk(codePage)) {
        return Text(detail::EncodeGbk(units, false));
    }
    if (codePage == kCodePageUtf8) {
        return Text(EncodeUtf8(units));
    }
    return {};
}

ByteSet Utf8ToWide(const ByteSet& bytes) {
    return WideBytes(DecodeUtf8(bytes.View()));
}

Text WideToAnsi(const ByteSet& wide) {
    return Text(detail::EncodeGbk(UnitsUntilZero(wide), true));
}

} // namespace vellmora
