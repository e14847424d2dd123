// The GBK (code page 936) codec underneath the code-page conversions.
#pragma once

#include <string>
#include <string_view>

namespace vellmora::detail {

/// GBK bytes to UTF-16. A byte sequence that is not GBK, such as a lead byte at the end, becomes
/// U+003F, as Windows' converter answers, not U+FFFD.
[[nodiscard]] std::u16string DecodeGbk(std::string_view bytes);

/// UTF-16 to GBK bytes. Each code unit without a mapping, each half of a surrogate pair included,
/// becomes one "?". With compositeCheck, a character followed by a combining mark becomes their
/// precomposed character when that character has a mapping.
[[nodiscard]] std::string EncodeGbk(std::u16string_view units, bool compositeCheck);

} // namespace vellmora::detail
