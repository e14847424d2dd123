// Decoding of a fetched result page.
#pragma once

#include "text/Text.h"

namespace vellmora {

/// Decodes every percent escape anywhere in the UTF-8 page, then converts the page to GBK.
/// "%" with two hexadecimal digits (either case) becomes that byte, except that "%00" gives nothing;
/// a "%" without two hexadecimal digits after it stays a literal "%". A decoded "%" is data and never
/// starts another escape; "+" stays "+".
[[nodiscard]] Text UrlDecode(const Text& page);

} // namespace vellmora
