#include "text/CharSearch.h"

#include <cstring>

namespace vellmora::detail {
namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

bool IsLeadByte(unsigned char c) {
    return c >= 0x80;
}

} // namespace

CharSearch::CharSearch(std::string_view text, std::string_view pattern, bool foldCase)
    : text_(text), pattern_(pattern), foldCase_(foldCase), first_{}, nextFirst_{}, firstCount_(1) {
    const auto c = static_cast<unsigned char>(pattern.empty() ? 0 : pattern.front());
    first_[0] = c;
    const unsigned char folded = FoldAscii(c);
    if (foldCase && folded >= 'a' && folded <= 'z') {
        first_[0] = folded;
        first_[1] = static_cast<unsigned char>(folded - 0x20);
        firstCount_ = 2;
    }
}

std::size_t CharSearch::NextCandidate(std::size_t from) {
    std::size_t best = kNotFound;
    for (int k = 0; k < firstCount_; ++k) {
        if (!primed_ || nextFirst_[k] < from) {
            const void* hit = from < text_.size()
                                  ? std::memchr(text_.data() + from, first_[k], text_.size() - from)
                                  : nullptr;
            nextFirst_[k] =
                hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : kNotFound;
        }
        if (nextFirst_[k] < best) {
            best = nextFirst_[k];
        }
    }
    primed_ = true;
    return best;
}

bool CharSearch::PatternAt(std::size_t offset) const {
    const char* at = text_.data() + offset;
    if (!foldCase_) {
        return std::memcmp(at, pattern_.data(), pattern_.size()) == 0;
    }
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        if (FoldAscii(static_cast<unsigned char>(at[i])) !=
            FoldAscii(static_cast<unsigned char>(pattern_[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> CharSearch::Next(std::size_t from) {
    if (pattern_.empty() || pattern_.size() > text_.size()) {
        return std::nullopt;
    }
    const std::size_t last = text_.size() - pattern_.size(); // last offset a match fits at
    std::size_t stand = from;                                // a place the scan is known to stand
    while (stand <= last) {
        const std::size_t p = NextCandidate(stand);
        if (p == kNotFound || p > last) {
            return std::nullopt;
        }
        std::size_t runStart = p;
        while (runStart > stand && IsLeadByte(static_cast<unsigned char>(text_[runStart - 1]))) {
            --runStart;
        }
        if ((p - runStart) % 2 != 0) {
            stand = p + 1; // p is the second byte of a character; the scan stands right after it
            continue;
        }
        if (PatternAt(p)) {
            return p;
        }
        stand = p + (IsLeadByte(static_cast<unsigned char>(text_[p])) ? 2 : 1);
    }
    return std::nullopt;
}

} // namespace vellmora::detail
