// Percent-encoding of a search keyword.
#pragma once

#include "text/Text.h"

namespace vellmora {

/// The keyword's UTF-8 bytes, each written as "%" and two upper-case hexadecimal digits. With
/// keepAlphanumerics, the bytes ",-./", 0–9, A–Z and a–z stay as they are. Calls ProcessEvents once
/// per byte, so the window stays responsive while a long keyword is encoded.
[[nodiscard]] Text UrlEncode(const Text& text, bool keepAlphanumerics = false);

} // namespace vellmora
