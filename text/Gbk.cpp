#include "text/Gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
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

// Writes GBK into a buffer the caller sized. With the composite check, a combining mark that
// composes with the character just written takes that character's bytes back and writes the
// precomposed character instead; the result is then not a base for another mark (no chaining).
class GbkWriter {
public:
    GbkWriter(char* out, bool compositeCheck, char16_t previous = 0, int previousWidth = 0)
        : out_(out), compositeCheck_(compositeCheck), previous_(previous), previousWidth_(previousWidth) {}

    [[gnu::always_inline]] void Put(char16_t unit) {
        if (compositeCheck_ && previousWidth_ > 0 && tables_.composingMark.test(unit)) {
            const auto composite = tables_.composites.find(std::uint32_t{previous_} << 16 | unit);
            if (composite != tables_.composites.end()) {
                out_ -= previousWidth_;
                Write(tables_.bytes[composite->second]);
                previousWidth_ = 0;
                return;
            }
        }
        previous_ = unit;
        previousWidth_ = Write(tables_.bytes[unit]);
    }

    // Code units below 0x80 are their own single bytes in code page 936. The bytes may lie further
    // on in the same buffer.
    void PutAscii(std::string_view ascii) {
        if (ascii.empty()) {
            return;
        }
        std::memmove(out_, ascii.data(), ascii.size());
        out_ += ascii.size();
        previous_ = static_cast<char16_t>(ascii.back());
        previousWidth_ = 1;
    }

    [[nodiscard]] char* End() const { return out_; }
    [[nodiscard]] char16_t Previous() const { return previous_; }
    [[nodiscard]] int PreviousWidth() const { return previousWidth_; }

private:
    int Write(std::uint16_t value) {
        if (value == kNoMapping) {
            *out_++ = '?';
            return 1;
        }
        if (value > 0xFF) {
            *out_++ = static_cast<char>(value >> 8);
            *out_++ = static_cast<char>(value & 0xFF);
            return 2;
        }
        *out_++ = static_cast<char>(value);
        return 1;
    }

    const EncodeTables& tables_ = Tables();
    char* out_;
    bool compositeCheck_;
    char16_t previous_ = 0;
    int previousWidth_ = 0; // 0: nothing written that a mark could compose with
};

// Length of the run of bytes below 0x80 at the start of bytes, eight at a time where it can.
std::size_t AsciiPrefix(std::string_view bytes) {
    std::size_t n = 0;
    for (std::uint64_t word; n + 8 <= bytes.size(); n += 8) {
        std::memcpy(&word, bytes.data() + n, 8);
        if (word & 0x8080808080808080u) {
            break;
        }
    }
    while (n < bytes.size() && static_cast<unsigned char>(bytes[n]) < 0x80) {
        ++n;
    }
    return n;
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
    std::u16string units(bytes.size(), u'\0');
    char16_t* out = units.data();
    // Pages are mostly ASCII, which stands for itself, so only the runs of bytes of 0x80 and more go
    // through ICU. Each run takes the byte after it along: as the second byte of a character, or as a
    // byte after a bad sequence, that byte ends whatever ICU has begun, so ICU starts afresh after it
    // and the runs convert exactly as the whole text would.
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t ascii = AsciiPrefix(bytes.substr(i));
        out = std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i + ascii), out);
        i += ascii;
        if (i == bytes.size()) {
            break;
        }
        std::size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) {
            ++end;
        }
        end = std::min(end + 1, bytes.size());
        const char* source = bytes.data() + i;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &out, units.data() + units.size(), &source, bytes.data() + end,
                       nullptr, true, &status);
        if (U_FAILURE(status)) {
            ucnv_reset(converter.get());
            return {};
        }
        i = end;
    }
    units.resize(static_cast<std::size_t>(out - units.data()));
    return units;
}

std::string EncodeGbk(std::u16string_view units, bool compositeCheck) {
    std::string out(2 * units.size(), '\0'); // at most two bytes for each code unit
    GbkWriter writer(out.data(), compositeCheck);
    for (const char16_t unit : units) {
        writer.Put(unit);
    }
    out.resize(static_cast<std::size_t>(writer.End() - out.data()));
    return out;
}

void Utf8ToGbkInPlace::ConvertUpTo(std::size_t end, bool last) {
    GbkWriter writer(buffer_ + written_, true, previous_, previousWidth_);
    // A sequence is at most four bytes; one that starts this close to the end may go on past it.
    const std::size_t complete = last ? end : (end > 3 ? end - 3 : 0);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer_);
    const auto length = static_cast<int32_t>(std::min<std::size_t>(end, INT32_MAX));
    while (read_ < end) {
        const std::string_view rest(buffer_ + read_, end - read_);
        const std::size_t ascii = AsciiPrefix(rest);
        writer.PutAscii(rest.substr(0, ascii));
        read_ += ascii;
        if (read_ >= complete) {
            break;
        }
        auto i = static_cast<int32_t>(read_);
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c); // one U+FFFD per maximal ill-formed subsequence
        read_ = static_cast<std::size_t>(i);
        if (U_IS_BMP(c)) {
            writer.Put(static_cast<char16_t>(c));
        } else {
            writer.Put(U16_LEAD(c));
            writer.Put(U16_TRAIL(c));
        }
    }
    written_ = static_cast<std::size_t>(writer.End() - buffer_);
    previous_ = writer.Previous();
    previousWidth_ = writer.PreviousWidth();
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::string buffer(utf8);
    Utf8ToGbkInPlace converter(buffer.data());
    converter.ConvertUpTo(buffer.size(), true);
    buffer.resize(converter.GbkSize());
    return buffer;
}

} // namespace vellmora::detail
