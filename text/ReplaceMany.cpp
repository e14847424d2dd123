#include "text/ReplaceMany.h"

namespace vellmora {

Text ReplaceMany(const Text& text, std::optional<int> count, std::optional<int> start, bool caseSensitive,
                 const ReplacePair& pair1, const ReplacePair& pair2, const ReplacePair& pair3,
                 const ReplacePair& pair4, const ReplacePair& pair5) {
    if (start == 0) {
        start = 1;
    }
    // Pages are large: each pair reads the previous result in place instead of a copy of it.
    const Text* current = &text;
    Text result;
    for (const ReplacePair* pair : {&pair1, &pair2, &pair3, &pair4, &pair5}) {
        if (!pair->find.IsEmpty()) { // an empty find text would give back its text unchanged
            result = ReplaceText(*current, pair->find, pair->replacement, start, count, caseSensitive);
            current = &result;
        }
    }
    if (current == &text) {
        return text;
    }
    return result;
}

} // namespace vellmora
