// RegexMatcher: one regular expression run over one GBK subject, queried by match and group number.
#pragma once

#include "text/Text.h"

#include <memory>

namespace vellmora {

namespace detail {
struct RegexEngine;
struct MatchCollection;
} // namespace detail

/// Runs one regular expression over one subject and answers how many matches there are, the text of a
/// match or of one of its capturing groups, and the byte offset at which that text begins.
///
/// Pattern and subject are matched as characters: both are decoded from GBK to UTF-16, so a two-byte
/// character is one character, and every text handed back is encoded into GBK again. Match and group
/// numbers are 1-based; positions are 0-based byte offsets into the subject of the last Create.
///
/// Nothing is thrown or reported. A match or group that does not exist gives an empty text and the
/// position −1; Create alone tells a failure apart, by returning false.
///
/// A copy shares the compiled pattern and the matches with its original (neither ever changes once
/// made) and holds its own copy of the subject.
class RegexMatcher {
public:
    /// No pattern, no matches, an empty subject.
    RegexMatcher() = default;

    /// Compiles pattern and finds its matches in subject, replacing everything the previous Create
    /// left. With global, every non-overlapping match from left to right (after an empty match the
    /// search resumes one character further on); otherwise only the first. With multiline, "^" and "$"
    /// also match at line feeds. "." never matches a line feed. Letters, non-ASCII ones included, match
    /// in either case unless caseSensitive.
    ///
    /// Returns true when the pattern compiled, also when nothing matches. A rejected pattern gives
    /// false and leaves no matches; the subject is kept either way.
    bool Create(const Text& pattern, const Text& subject, bool caseSensitive = false, bool multiline = true,
                bool global = true);

    /// The pattern of the last Create as written, also when it was rejected; empty before any Create.
    [[nodiscard]] Text GetPattern() const;

    /// The subject of the last Create with the pattern's matches (only the first unless global)
    /// replaced. The pattern is run afresh. In replacement, "$1" … "$99" stand for a group's text, "$&"
    /// for the match, "$`" and "$'" for the subject before and after it, "$$" for "$"; a "$" in any
    /// other place, or before the number of a group the pattern does not have, is itself. Empty when
    /// the pattern was rejected or there was no Create.
    [[nodiscard]] Text Replace(const Text& replacement) const;

    /// Number of matches; 0 when the pattern was rejected.
    [[nodiscard]] int GetMatchCount() const;

    /// Text of match matchIndex; empty when there is no such match. When position is given, it receives
    /// the byte offset where the match begins, or −1 when there is no such match.
    [[nodiscard]] Text GetMatchText(int matchIndex, int* position = nullptr) const;

    /// Text of group groupIndex of match matchIndex; empty when there is no such match or group, or when
    /// the group took no part in the match. When position is given, it receives the byte offset where
    /// the group's text begins, or −1 in those three cases.
    [[nodiscard]] Text GetSubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;

    /// Number of capturing groups of the pattern; 0 when there is no match.
    [[nodiscard]] int GetSubMatchCount() const;

private:
    // Shared between copies; none before the first Create. The engine also exists for a rejected
    // pattern, which it keeps as written; the collection then does not.
    std::shared_ptr<const detail::RegexEngine> regexObject;
    std::shared_ptr<const detail::MatchCollection> matchCollection;
    Text storedSubject;
};

} // namespace vellmora
