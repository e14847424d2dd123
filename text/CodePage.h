// Conversions between GBK (code page 936), UTF-8 and UTF-16 as Windows performs them.
//
// UTF-16 travels in a ByteSet as little-endian code units without a byte-order mark. GBK follows the
// Windows mapping of code page 936, best-fit mappings included: a character without one becomes
// "?", and a base letter followed by a combining mark becomes the precomposed character where code
// page 936 has one. Malformed input never stops a conversion; it only changes the characters at
// that place.
#pragma once

#include "text/Text.h"

#include <string>
#include <string_view>

namespace vellmora {

inline constexpr int kCodePageAnsi = 0; // the system's ANSI code page, which is GBK here
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

/// GBK text to UTF-8 (no zero byte can appear).
[[nodiscard]] Text AnsiToUtf8(const Text& text);

/// UTF-8 bytes to GBK text, through UTF-16 with the composite check; ends at a zero byte.
[[nodiscard]] Text Utf8ToAnsi(const ByteSet& bytes);

/// Text in codePage (936, 65001 or 0) to UTF-16 followed by one zero code unit; empty for an empty
/// text or a code page this program does not know.
[[nodiscard]] ByteSet AnsiToWide(const Text& text, int codePage = kCodePageUtf8);

/// UTF-16 up to its first zero code unit to text in codePage (936, 65001 or 0), without the
/// composite check.
[[nodiscard]] Text WideToMultiByte(const ByteSet& wide, int codePage = kCodePageAnsi);

/// UTF-8 bytes to UTF-16, no terminator. Each malformed sequence becomes U+FFFD.
[[nodiscard]] ByteSet Utf8ToWide(const ByteSet& bytes);

/// All code units of wide (an odd last byte is ignored) to GBK with the composite check; the result
/// ends before the first zero code unit.
[[nodiscard]] Text WideToAnsi(const ByteSet& wide);

/// The UTF-16 code units of GBK text, without a terminator: what AnsiToWide(text, 936) holds before
/// its zero code unit, for callers that work on code units rather than on a ByteSet.
[[nodiscard]] std::u16string GbkUnits(const Text& text);

/// The code units of UTF-16 held in a ByteSet, all of them (an odd last byte is ignored).
[[nodiscard]] std::u16string WideUnits(const ByteSet& wide);

/// UTF-16 code units as the bytes of a ByteSet.
[[nodiscard]] ByteSet WideBytes(std::u16string_view units);

} // namespace vellmora
