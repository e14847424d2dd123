// The GBK (code page 936) codec underneath the code-page conversions.
#pragma once

#include <cstddef>
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

/// UTF-8 to GBK with the composite check, in one pass: the same as decoding to UTF-16 (one U+FFFD
/// per maximal ill-formed subsequence) and encoding that, without the UTF-16 in between.
[[nodiscard]] std::string Utf8ToGbk(std::string_view utf8);

/// Utf8ToGbk inside one buffer whose UTF-8 may still be arriving at its end. No character takes more
/// bytes in GBK than in UTF-8 ("?" stands for at least one byte, "??" for a four-byte character), so
/// the GBK written from the start of the buffer never overtakes the UTF-8 still to be read. A page
/// can thus be decoded and converted block by block while the block is still in the cache.
class Utf8ToGbkInPlace {
public:
    explicit Utf8ToGbkInPlace(char* buffer) : buffer_(buffer) {}

    /// Converts the UTF-8 up to offset end. Unless last, a character that may go on past end waits
    /// for the next call.
    void ConvertUpTo(std::size_t end, bool last);

    /// How many bytes of GBK stand at the start of the buffer.
    [[nodiscard]] std::size_t GbkSize() const { return written_; }

private:
    char* buffer_;
    std::size_t read_ = 0;
    std::size_t written_ = 0;
    // The character last written, which a combining mark in the next block may still compose with.
    char16_t previous_ = 0;
    int previousWidth_ = 0;
};

} // namespace vellmora::detail
