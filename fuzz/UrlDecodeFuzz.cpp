// UrlDecode against a plain decoding followed by the one-pass conversion to GBK.
//
// Input: two bytes that choose how much plain text goes before the rest, so that escapes and UTF-8
// sequences also fall across the decoder's 32 KiB blocks; then the page.
#include "fuzz/FuzzSupport.h"
#include "text/CodePage.h"
#include "text/UrlDecode.h"

namespace vellmora::fuzz {
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

// "%" and two hexadecimal digits are one byte, "%00" none; any other "%" is itself.
std::string DecodeEscapes(std::string_view page) {
    std::string out;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '%' && i + 2 < page.size() && HexValue(page[i + 1]) >= 0 &&
            HexValue(page[i + 2]) >= 0) {
            if (const int value = HexValue(page[i + 1]) * 16 + HexValue(page[i + 2]); value != 0) {
                out += static_cast<char>(value);
            }
            i += 2;
        } else {
            out += page[i];
        }
    }
    return out;
}

constexpr std::size_t kBlock = 32 * 1024;

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    if (size < 2) {
        return 0;
    }
    // No padding, or padding that puts the page's start up to 255 bytes before a block boundary.
    const std::size_t padding = data[0] & 1 ? kBlock - data[1] : 0;
    std::string bytes(padding, 'a');
    bytes.append(AsBytes(data + 2, size - 2));
    const Text page(bytes);

    const Text decoded = UrlDecode(page);
    FUZZ_CHECK(HoldsNoZeroByte(decoded));
    FUZZ_CHECK(decoded.View().size() <= page.View().size());
    FUZZ_CHECK(decoded == Utf8ToAnsi(ByteSet(DecodeEscapes(page.View()))));
    return 0;
}
