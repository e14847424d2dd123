// Finding a byte pattern at character starts of GBK text, in time linear in the text.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vellmora::detail {

/// Scans a text the way the character-wise operations do: from a starting offset, one byte at a
/// time, but two at once over a byte of 0x80 or more. Next() answers the first offset at or after
/// `from` where `pattern` matches and the scan would stand, where `from` itself is a place the scan
/// stands (the start, or just past a previous match).
///
/// Instead of walking every character, candidates come from memchr on the pattern's first byte.
/// Whether the scan stands on a candidate p follows from the bytes just before it: the run of bytes
/// of 0x80 or more that ends at p − 1 begins where the scan stands (the byte before the run is below
/// 0x80, so it ends a character either way), and inside the run the scan takes two bytes at a time.
/// Each byte is looked at a bounded number of times, so a whole replace or find is linear.
class CharSearch {
public:
    CharSearch(std::string_view text, std::string_view pattern, bool foldCase);

    [[nodiscard]] std::optional<std::size_t> Next(std::size_t from);

private:
    [[nodiscard]] std::size_t NextCandidate(std::size_t from);
    [[nodiscard]] bool PatternAt(std::size_t offset) const;

    std::string_view text_;
    std::string_view pattern_;
    bool foldCase_;
    // The pattern's first byte and, for a case-folded letter, its other case; each with the offset
    // of its next occurrence, cached so that neither memchr scans the same bytes twice.
    unsigned char first_[2];
    std::size_t nextFirst_[2];
    int firstCount_;
    bool primed_ = false;
};

/// ASCII letters folded together; every other byte is itself.
[[nodiscard]] inline unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c;
}

} // namespace vellmora::detail
