// The code-page conversions: GBK, UTF-8 and UTF-16 in every direction the program uses.
//
// Input: any bytes, read in turn as GBK text, as UTF-8, and as UTF-16 code units.
#include "fuzz/FuzzSupport.h"
#include "text/CodePage.h"

namespace vellmora::fuzz {
namespace {

// The characters of bytes as the GBK decoder divides them (a lead byte 0x81–0xFE takes the byte after
// it), keeping only those that code page 936 maps to a character of their own.
std::string MappedCharacters(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = b >= 0x81 && b <= 0xFE && i + 1 < bytes.size() ? 2 : 1;
        const std::string character(bytes.substr(i, length));
        i += length;
        if (character.find('\0') != std::string::npos) {
            continue;
        }
        const std::u16string units = WideUnits(AnsiToWide(Text(character), kCodePageGbk));
        if (units.size() == 2 && (units[0] != u'?' || character == "?")) {
            out += character;
        }
    }
    return out;
}

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    const std::string_view bytes = AsBytes(data, size);

    // As GBK text.
    const Text gbk{std::string(bytes)};
    const Text utf8 = AnsiToUtf8(gbk);
    FUZZ_CHECK(HoldsNoZeroByte(utf8));
    FUZZ_CHECK(IsWellFormedUtf8(utf8.View()));
    FUZZ_CHECK(utf8 == WideToMultiByte(AnsiToWide(gbk, kCodePageGbk), kCodePageUtf8));
    const ByteSet gbkWide = AnsiToWide(gbk, kCodePageGbk);
    FUZZ_CHECK(gbk.IsEmpty() ? gbkWide.IsEmpty() : WideUnits(gbkWide).back() == u'\0');
    FUZZ_CHECK(WideUnits(gbkWide).size() <= gbk.View().size() + 1);

    // GBK → UTF-16 → GBK, and GBK → UTF-8 → GBK, are the identity for mapped characters.
    const Text mapped(MappedCharacters(bytes));
    const ByteSet mappedWide = AnsiToWide(mapped, kCodePageGbk);
    FUZZ_CHECK(WideToAnsi(mappedWide) == mapped);
    FUZZ_CHECK(WideToMultiByte(mappedWide, kCodePageGbk) == mapped);
    FUZZ_CHECK(Utf8ToAnsi(TextToBytes(AnsiToUtf8(mapped))) == mapped);

    // As UTF-8 bytes.
    const ByteSet raw{std::string(bytes)};
    const Text fromUtf8 = Utf8ToAnsi(raw);
    FUZZ_CHECK(HoldsNoZeroByte(fromUtf8));
    FUZZ_CHECK(fromUtf8.View().size() <= bytes.size());
    const ByteSet wide = Utf8ToWide(raw);
    FUZZ_CHECK(wide.View().size() % 2 == 0 && wide.View().size() / 2 <= bytes.size());
    FUZZ_CHECK(fromUtf8 == WideToAnsi(wide));
    if (IsWellFormedUtf8(bytes) && bytes.find('\0') == std::string_view::npos && !bytes.empty()) {
        std::u16string terminated = WideUnits(wide);
        terminated.push_back(u'\0');
        FUZZ_CHECK(AnsiToWide(Text(std::string(bytes)), kCodePageUtf8) == WideBytes(terminated));
        FUZZ_CHECK(WideToMultiByte(wide, kCodePageUtf8).View() == bytes);
    }

    // As UTF-16 code units, unpaired surrogates and zero units included.
    const Text fromWide = WideToAnsi(raw);
    FUZZ_CHECK(HoldsNoZeroByte(fromWide));
    const Text wideAsUtf8 = WideToMultiByte(raw, kCodePageUtf8);
    FUZZ_CHECK(HoldsNoZeroByte(wideAsUtf8));
    FUZZ_CHECK(IsWellFormedUtf8(wideAsUtf8.View()));
    return 0;
}
