// Several find-and-replace passes over one text, one pair after another.
#pragma once

#include "text/Text.h"

#include <optional>

namespace vellmora {

struct ReplacePair {
    Text find;
    Text replacement;
};

/// Applies each pair with ReplaceText to the result of the pair before it, so a later pair can match
/// text that an earlier replacement brought together; within one pair, replaced text is never searched
/// again. count (every occurrence when omitted), start (0 or omitted means 1) and caseSensitive apply
/// afresh to each pair. A pair with an empty find text changes nothing.
[[nodiscard]] Text ReplaceMany(const Text& text, std::optional<int> count, std::optional<int> start,
                               bool caseSensitive, const ReplacePair& pair1, const ReplacePair& pair2 = {},
                               const ReplacePair& pair3 = {}, const ReplacePair& pair4 = {},
                               const ReplacePair& pair5 = {});

} // namespace vellmora
