// UrlEncode: nothing but escapes (and, when asked, the bytes kept as they are), which decode to the
// keyword's UTF-8, with one event dispatch per byte.
//
// Input: a flags byte (bit 0: keep alphanumerics), then the GBK keyword.
#include "fuzz/FuzzSupport.h"
#include "text/CodePage.h"
#include "text/Events.h"
#include "text/UrlEncode.h"

namespace vellmora::fuzz {
namespace {

bool KeptAsIs(unsigned char b) {
    return (b >= ',' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

int UpperHexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    if (size < 1) {
        return 0;
    }
    const bool keep = (data[0] & 1) != 0;
    const Text keyword{std::string(AsBytes(data + 1, size - 1))};
    std::size_t dispatches = 0;
    const EventHook saved = SetEventHook([&] { ++dispatches; });
    const Text encoded = UrlEncode(keyword, keep);
    SetEventHook(saved);

    const std::string utf8 = AnsiToUtf8(keyword).Bytes();
    FUZZ_CHECK(dispatches == utf8.size());
    FUZZ_CHECK(HoldsNoZeroByte(encoded));
    // Read back: "%" and two upper-case hexadecimal digits, or a byte the flag keeps.
    const std::string_view out = encoded.View();
    std::string decoded;
    for (std::size_t i = 0; i < out.size();) {
        if (out[i] == '%') {
            FUZZ_CHECK(i + 2 < out.size());
            const int high = UpperHexValue(out[i + 1]);
            const int low = UpperHexValue(out[i + 2]);
            FUZZ_CHECK(high >= 0 && low >= 0);
            const auto b = static_cast<unsigned char>(high * 16 + low);
            FUZZ_CHECK(!(keep && KeptAsIs(b))); // a kept byte is never escaped
            decoded += static_cast<char>(b);
            i += 3;
        } else {
            FUZZ_CHECK(keep && KeptAsIs(static_cast<unsigned char>(out[i])));
            decoded += out[i];
            i += 1;
        }
    }
    FUZZ_CHECK(decoded == utf8);
    return 0;
}
