// RegexMatcher with a fuzzed pattern, subject and options: every query, positions included. Each
// text handed back must stand in the subject at the position handed back with it.
//
// Input: a flags byte (bit 0: case-sensitive, bit 1: multiline, bit 2: global), then the pattern,
// the subject and a replacement, separated by zero bytes.
#include "fuzz/FuzzSupport.h"
#include "regex/RegexMatcher.h"
#include "regex/RegexMatcherTesting.h"
#include "text/CodePage.h"

namespace vellmora::fuzz {
namespace {

std::u16string Units(std::string_view gbk) {
    return WideUnits(AnsiToWide(Text(std::string(gbk)), kCodePageGbk));
}

// Whether offset falls between two characters as the GBK decoder divides the subject, so that the
// characters before it are the first ones of the whole subject.
bool BetweenCharacters(std::string_view subject, std::size_t offset) {
    std::u16string before = Units(subject.substr(0, offset));
    if (!before.empty()) {
        before.pop_back(); // the terminator
    }
    return Units(subject).starts_with(before);
}

// A text and its position are consistent: nothing at all (−1), or the subject's own bytes there, from
// one character boundary to another.
bool StandsAt(const Text& text, int position, const Text& subject) {
    if (position == -1) {
        return text.IsEmpty();
    }
    const std::string_view bytes = subject.View();
    const auto at = static_cast<std::size_t>(position);
    return position >= 0 && at <= bytes.size() && bytes.substr(at, text.View().size()) == text.View() &&
           BetweenCharacters(bytes, at) && BetweenCharacters(bytes, at + text.View().size());
}

void CheckQueries(const RegexMatcher& matcher, const Text& subject, bool compiled) {
    const int count = matcher.GetMatchCount();
    const int groups = matcher.GetSubMatchCount();
    FUZZ_CHECK(count >= 0 && groups >= 0);
    FUZZ_CHECK(compiled || count == 0);
    FUZZ_CHECK(count > 0 || groups == 0);
    // Matches do not overlap and come in order: each begins at or after the end of the one before.
    std::size_t previousEnd = 0;
    for (int i = -1; i <= count + 1; ++i) {
        int position = -2;
        const Text text = matcher.GetMatchText(i, &position);
        FUZZ_CHECK(HoldsNoZeroByte(text));
        FUZZ_CHECK(text == matcher.GetMatchText(i));
        if (i < 1 || i > count) {
            FUZZ_CHECK(text.IsEmpty() && position == -1);
            continue;
        }
        FUZZ_CHECK(position >= 0);
        FUZZ_CHECK(StandsAt(text, position, subject));
        FUZZ_CHECK(static_cast<std::size_t>(position) >= previousEnd);
        previousEnd = static_cast<std::size_t>(position) + text.View().size();
        for (int g = -1; g <= groups + 1; ++g) {
            int groupPosition = -2;
            const Text group = matcher.GetSubMatchText(i, g, &groupPosition);
            FUZZ_CHECK(HoldsNoZeroByte(group));
            FUZZ_CHECK(group == matcher.GetSubMatchText(i, g));
            if (g < 1 || g > groups) {
                FUZZ_CHECK(group.IsEmpty() && groupPosition == -1);
                continue;
            }
            FUZZ_CHECK(StandsAt(group, groupPosition, subject));
        }
    }
}

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    // A fuzzed pattern can be made to backtrack for ever: each search may give up early instead.
    static const RegexLimits programLimits = SetRegexLimits({100'000, 10'000});
    (void)programLimits;
    if (size < 1) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::vector<std::string> fields = ZeroSeparatedFields(AsBytes(data + 1, size - 1), 3);
    const Text pattern(fields[0]);
    const Text subject(fields[1]);
    const Text replacement(fields[2]);

    RegexMatcher matcher;
    FUZZ_CHECK(matcher.GetMatchCount() == 0 && matcher.GetPattern().IsEmpty() &&
               matcher.Replace(replacement).IsEmpty());
    const bool compiled =
        matcher.Create(pattern, subject, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0);
    FUZZ_CHECK(matcher.GetPattern() == pattern);
    CheckQueries(matcher, subject, compiled);
    const Text replaced = matcher.Replace(replacement);
    FUZZ_CHECK(HoldsNoZeroByte(replaced));
    FUZZ_CHECK(compiled || replaced.IsEmpty());

    // A copy answers the same; a second Create on the same matcher answers for its own subject only.
    const RegexMatcher copy = matcher;
    CheckQueries(copy, subject, compiled);
    matcher.Create(pattern, replacement, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0);
    CheckQueries(matcher, replacement, compiled);
    return 0;
}
