#include "text/Gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vellmora::detail {
namespace {

// ICU's "windows-936-2000" is Microsoft's code page 936 table, and with fallbacks on its
// from-Unicode direction also carries Windows' best-fit mappings.
constexpr const char* kConverterName = "windows-936-2000";
constexpr std::uint16_t kNoMapping = 0xFFFF;

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(kConverterName, &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    ucnv_setFallback(converter.get(), true);
    return converter;
}

// Windows answers a byte sequence that is not GBK with U+003F where ICU would give U+FFFD.
void QuestionMarkToUnicode(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *status = U_ZERO_ERROR;
    const UChar questionMark = u'?';
    ucnv_cbToUWriteUChars(args, &questionMark, 1, 0, status);
}

// Everything the encoder needs, asked of ICU once per process: the bytes of every BMP code unit,
// and the pairs of base and combining mark whose precomposed character has bytes of its own.
struct EncodeTables {
    std::array<std::uint16_t, 0x10000> bytes; // one byte (≤ 0xFF), lead × 256 + trail, or kNoMapping
    std::bitset<0x10000> composingMark;
    std::unordered_map<std::uint32_t, char16_t> composites; // base × 0x10000 + mark → composite

    [[nodiscard]] bool Maps(char16_t unit) const { return bytes[unit] != kNoMapping; }
};

// ICU's fallbacks for these differ from what Windows does, which is to write "?".
bool WindowsHasNoMapping(char16_t unit) {
    return (unit >= 0xFFE9 && unit <= 0xFFEC) || unit == 0xFFEE;
}

void FillBytes(EncodeTables& tables) {
    tables.bytes.fill(kNoMapping);
    const Converter converter = OpenConverter();
    if (!converter) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    USet* mapped = uset_openEmpty();
    ucnv_getUnicodeSet(converter.get(), mapped, UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
    std::vector<UChar> units;
    for (UChar32 c = 0; c < 0x10000; ++c) {
        if (!U_IS_SURROGATE(c) && uset_contains(mapped, c) &&
            !WindowsHasNoMapping(static_cast<char16_t>(c))) {
            units.push_back(static_cast<UChar>(c));
        }
    }
    uset_close(mapped);
    if (U_FAILURE(status)) {
        return;
    }

    // One conversion of all mapped units; the offsets tell which bytes came from which unit.
    std::vector<char> out(units.size() * 4);
    std::vector<int32_t> offsets(out.size());
    char* target = out.data();
    const UChar* source = units.data();
    ucnv_fromUnicode(converter.get(), &target, out.data() + out.size(), &source, units.data() + units.size(),
                     offsets.data(), true, &status);
    if (U_FAILURE(status)) {
        return;
    }
    const auto produced = static_cast<std::size_t>(target - out.data());
    for (std::size_t j = 0; j < produced;) {
        const int32_t from = offsets[j];
        std::uint16_t value = static_cast<unsigned char>(out[j++]);
        if (j < produced && offsets[j] == from) {
            value = static_cast<std::uint16_t>(value << 8 | static_cast<unsigned char>(out[j++]));
        }
        tables.bytes[units[static_cast<std::size_t>(from)]] = value;
    }
}

// A precomposed character that has bytes is reachable from its canonical pair (base, mark).
void FillComposites(EncodeTables& tables) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) {
        return;
    }
    for (UChar32 c = 0; c < 0x10000; ++c) {
        if (U_IS_SURROGATE(c) || !tables.Maps(static_cast<char16_t>(c))) {
            continue;
        }
        UChar pair[4];
        status = U_ZERO_ERROR;
        const int32_t length = unorm2_getRawDecomposition(nfc, c, pair, 4, &status);
        if (U_FAILURE(status) || length != 2 || U16_IS_SURROGATE(pair[0]) || U16_IS_SURROGATE(pair[1]) ||
            unorm2_composePair(nfc, pair[0], pair[1]) != c) {
            continue;
        }
        tables.composingMark.set(pair[1]);
        tables.composites.emplace(std::uint32_t{pair[0]} << 16 | pair[1], static_cast<char16_t>(c));
    }
}

const EncodeTables& Tables() {
    static const std::unique_ptr<const EncodeTables> tables = [] {
        auto built = std::make_unique<EncodeTables>();
        FillBytes(*built);
        FillComposites(*built);
        return built;
    }();
    return *tables;
}

void AppendBytes(std::string& out, std::uint16_t value) {
    if (value == kNoMapping) {
        out.push_back('?');
    } else if (value > 0xFF) {
        out.push_back(static_cast<char>(value >> 8));
        out.push_back(static_cast<char>(value & 0xFF));
    } else {
        out.push_back(static_cast<char>(value));
    }
}

} // namespace

std::u16string DecodeGbk(std::string_view bytes) {
    if (bytes.empty() || bytes.size() >= INT32_MAX) {
        return {};
    }
    thread_local const Converter converter = [] {
        Converter opened = OpenConverter();
        UErrorCode status = U_ZERO_ERROR;
        if (opened) {
            ucnv_setToUCallBack(opened.get(), QuestionMarkToUnicode, nullptr, nullptr, nullptr, &status);
        }
        return opened;
    }();
    if (!converter) {
        return {};
    }
    // Every byte sequence, good or bad, gives at most one code unit per byte.
    std::u16string units(bytes.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), units.data(), static_cast<int32_t>(units.size()),
                                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        return {};
    }
    units.resize(static_cast<std::size_t>(length));
    return units;
}

std::string EncodeGbk(std::u16string_view units, bool compositeCheck) {
    const EncodeTables& tables = Tables();
    std::string out;
    out.reserve(units.size() + units.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (compositeCheck && i + 1 < units.size() && tables.composingMark.test(units[i + 1])) {
            const auto composite = tables.composites.find(std::uint32_t{unit} << 16 | units[i + 1]);
            if (composite != tables.composites.end()) {
                AppendBytes(out, tables.bytes[composite->second]);
                ++i;
                continue;
            }
        }
        AppendBytes(out, tables.bytes[unit]);
    }
    return out;
}

} // namespace vellmora::detail
