#include "text/UrlEncode.h"

#include "text/CodePage.h"
#include "text/Events.h"

namespace vellmora {
namespace {

bool KeptAsIs(unsigned char b) {
    return (b >= 0x2C && b <= 0x39) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

} // namespace

Text UrlEncode(const Text& text, bool keepAlphanumerics) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    // Everything the loop reads is its own copy: an event handler run from ProcessEvents cannot
    // change what is being encoded.
    const std::string utf8 = AnsiToUtf8(text).Bytes();
    std::string out;
    out.reserve(3 * utf8.size());
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        if (keepAlphanumerics && KeptAsIs(b)) {
            out.push_back(byte);
        } else {
            out.push_back('%');
            out.push_back(kHexDigits[b >> 4]);
            out.push_back(kHexDigits[b & 0x0F]);
        }
        ProcessEvents();
    }
    return Text(std::move(out));
}

} // namespace vellmora
