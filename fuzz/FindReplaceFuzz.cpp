// FindText, ReplaceText and ReplaceMany against a plain character-wise scan written out below.
//
// Input: a flags byte, a start byte and a count byte, then zero-separated texts: the text to work
// on, then find and replacement pairs.
#include "fuzz/FuzzSupport.h"
#include "text/ReplaceMany.h"
#include "text/Text.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace vellmora::fuzz {
namespace {

unsigned char Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
}

bool SameBytes(std::string_view a, std::string_view b, bool foldCase) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (foldCase ? Fold(x) != Fold(y) : x != y) {
            return false;
        }
    }
    return true;
}

// The offset a 1-based start stands for, computed wide so that no start overflows.
std::size_t Offset(std::optional<int> start) {
    return start ? static_cast<std::size_t>(std::max(static_cast<long long>(*start) - 1, 0LL)) : 0;
}

bool IsLead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// One character at a time from the start offset: a lead byte and the byte after it are stepped over
// together, and a lead byte with nothing after it ends the search.
int ReferenceFind(std::string_view t, std::string_view sub, std::optional<int> start, bool ignoreCase) {
    std::size_t at = Offset(start);
    if (at >= t.size()) {
        return -1;
    }
    if (sub.empty()) {
        return 1;
    }
    while (t.size() - at >= sub.size()) {
        if (SameBytes(t.substr(at, sub.size()), sub, ignoreCase)) {
            return static_cast<int>(at + 1);
        }
        if (IsLead(t[at])) {
            if (at + 1 == t.size()) {
                break;
            }
            at += 2;
        } else {
            at += 1;
        }
    }
    return -1;
}

std::string ReferenceReplace(std::string_view t, std::string_view find, std::string_view replacement,
                             std::optional<int> start, std::optional<int> count, bool caseSensitive) {
    const std::size_t from = Offset(start);
    if (t.empty() || find.empty() || from >= t.size() || count == 0) {
        return std::string(t);
    }
    std::string out(t.substr(0, from));
    std::size_t at = from;
    long long replaced = 0;
    while (t.size() - at >= find.size() && !(count && *count > 0 && replaced == *count)) {
        if (SameBytes(t.substr(at, find.size()), find, !caseSensitive)) {
            out += replacement;
            at += find.size();
            ++replaced;
            continue;
        }
        const std::size_t step = std::min<std::size_t>(IsLead(t[at]) ? 2 : 1, t.size() - at);
        out += t.substr(at, step);
        at += step;
    }
    out += t.substr(at);
    return out;
}

// Small numbers around the texts' edges, and the extremes of int.
std::optional<int> OptionalInt(bool given, std::uint8_t byte) {
    if (!given) {
        return std::nullopt;
    }
    if (byte == 0xFF) {
        return INT_MAX;
    }
    if (byte == 0xFE) {
        return INT_MIN;
    }
    return static_cast<int>(static_cast<std::int8_t>(byte));
}

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    if (size < 3) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const bool foldCase = (flags & 1) != 0;
    const std::optional<int> start = OptionalInt((flags & 2) != 0, data[1]);
    const std::optional<int> count = OptionalInt((flags & 4) != 0, data[2]);
    const std::vector<std::string> fields = ZeroSeparatedFields(AsBytes(data + 3, size - 3), 11);
    const Text text(fields[0]);
    const Text find(fields[1]);
    const Text replacement(fields[2]);

    const int found = FindText(text, find, start, foldCase);
    FUZZ_CHECK(found == ReferenceFind(text.View(), find.View(), start, foldCase));
    FUZZ_CHECK(found == -1 || (found >= 1 && found <= TextLength(text)));

    const Text replaced = ReplaceText(text, find, replacement, start, count, !foldCase);
    FUZZ_CHECK(replaced.View() ==
               ReferenceReplace(text.View(), find.View(), replacement.View(), start, count, !foldCase));
    FUZZ_CHECK(HoldsNoZeroByte(replaced));

    ReplacePair pairs[5];
    for (std::size_t k = 0; k < 5; ++k) {
        pairs[k] = {Text(fields[1 + 2 * k]), Text(fields[2 + 2 * k])};
    }
    const std::optional<int> manyStart = start == 0 ? std::optional<int>(1) : start;
    std::string expected(text.View());
    for (const ReplacePair& pair : pairs) {
        expected = ReferenceReplace(expected, pair.find.View(), pair.replacement.View(), manyStart, count,
                                    !foldCase);
        // Five pairs can multiply the length five times over: past a few megabytes an input only
        // measures the machine.
        if (expected.size() > (std::size_t{4} << 20)) {
            return 0;
        }
    }
    const Text many =
        ReplaceMany(text, count, start, !foldCase, pairs[0], pairs[1], pairs[2], pairs[3], pairs[4]);
    FUZZ_CHECK(many.View() == expected);
    FUZZ_CHECK(HoldsNoZeroByte(many));
    return 0;
}
