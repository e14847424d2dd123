#include "regex/RegexMatcher.h"

#include "regex/RegexMatcherTesting.h"
#include "text/CodePage.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellmora {
namespace detail {
namespace {

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;

// A JIT stack for the searches that the default 32 KiB one cannot carry. Only address space is
// reserved up front; pages are taken as the search goes deeper.
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 256 * 1024 * 1024;

RegexLimits gLimits;

Text FromUnits(std::u16string_view units) {
    return WideToAnsi(WideBytes(units));
}

PCRE2_SPTR16 Pcre2Units(std::u16string_view units) {
    return reinterpret_cast<PCRE2_SPTR16>(units.data());
}

} // namespace

// The compiled pattern and the options it was compiled with. Never changes once made.
struct RegexEngine {
    Text pattern;
    bool global = true;
    Code code; // none when the pattern was rejected
};

// The matches of one run of the pattern over one subject, in the order found. Each match has
// groupCount + 1 pairs of code-unit offsets (start, end): the whole match, then each group, a group
// that took no part holding PCRE2_UNSET in both.
struct MatchCollection {
    std::u16string subject;
    std::size_t groupCount = 0;
    std::vector<PCRE2_SIZE> offsets;

    [[nodiscard]] std::size_t PairsPerMatch() const { return groupCount + 1; }
    [[nodiscard]] std::size_t Count() const { return offsets.size() / 2 / PairsPerMatch(); }

    // The byte offset in gbk (the subject this collection was found in) of each code-unit offset in
    // offsets, −1 for an unset group; made on the first request, for every offset at once.
    [[nodiscard]] const std::vector<int>& ByteOffsets(std::string_view gbk) const;

private:
    mutable std::once_flag byteOffsetsMade;
    mutable std::vector<int> byteOffsets;
};

namespace {

// A lead byte and a trail byte make one two-byte character, one code unit. Every other byte is a
// character of its own, one code unit, even where it is malformed (a lead byte without a trail
// becomes "?"): the GBK decoder divides bytes into characters this way, so the walk stays in step
// with the code units the engine counted.
bool TwoByteCharacterAt(std::string_view gbk, std::size_t i) {
    const auto lead = static_cast<unsigned char>(gbk[i]);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= gbk.size()) {
        return false;
    }
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE);
}

} // namespace

const std::vector<int>& MatchCollection::ByteOffsets(std::string_view gbk) const {
    std::call_once(byteOffsetsMade, [&] {
        // Visit the offsets in ascending order, so one walk over the bytes serves them all.
        std::vector<std::pair<PCRE2_SIZE, std::size_t>> units; // code-unit offset, index in offsets
        units.reserve(offsets.size());
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            if (offsets[i] != PCRE2_UNSET) {
                units.emplace_back(offsets[i], i);
            }
        }
        std::sort(units.begin(), units.end());
        byteOffsets.assign(offsets.size(), -1);
        std::size_t unit = 0;
        std::size_t byte = 0;
        for (const auto& [target, index] : units) {
            for (; unit < target && byte < gbk.size(); ++unit) {
                byte += TwoByteCharacterAt(gbk, byte) ? 2 : 1;
            }
            byteOffsets[index] = static_cast<int>(byte);
        }
    });
    return byteOffsets;
}

namespace {

Code Compile(std::u16string_view pattern, bool caseSensitive, bool multiline) {
    const std::unique_ptr<pcre2_compile_context, CompileContextFree> context(
        pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // "." stops at a line feed alone, and "^"/"$" see only line feeds as line ends.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    // No PCRE2_UTF: one code unit is one character, as for the decoded GBK, which has no surrogates.
    // PCRE2_UCP still folds every cased letter (Greek, Cyrillic, full-width Latin), not ASCII alone.
    // The rest bring the engine to the JavaScript rules: "^" also after a final line feed, "$" at the
    // very end only (without multiline), a reference to an unset group matching empty, \uhhhh and
    // \xhh escapes, and [] and [^] as classes.
    uint32_t options = PCRE2_UCP | PCRE2_ALT_CIRCUMFLEX | PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF |
                       PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS;
    if (!caseSensitive) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    Code code(
        pcre2_compile(Pcre2Units(pattern), pattern.size(), options, &error, &errorOffset, context.get()));
    if (code) {
        // Without machine code the same searches run on the interpreter, only slower.
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
    }
    return code;
}

// Runs a compiled pattern over a subject. The limits are raised so far that no real page reaches
// them: at PCRE2's default match limit, the interpreter gave up on a hostile stretch of a page and
// the matches after it were lost.
class Search {
public:
    Search(const pcre2_code* code, std::u16string_view subject)
        : code_(code), subject_(subject), context_(pcre2_match_context_create(nullptr)),
          data_(pcre2_match_data_create_from_pattern(code, nullptr)) {
        if (context_) {
            pcre2_set_match_limit(context_.get(), gLimits.match);
            pcre2_set_depth_limit(context_.get(), gLimits.depth);
        }
    }

    // Looks for the first match from code unit `start` on. Returns the number of ovector pairs set and
    // points ovector at them, or returns 0 when there is no match or the search failed. A search that
    // overflows the JIT stack is repeated on a larger one, and then on the interpreter, which keeps
    // its backtracking on the heap.
    [[nodiscard]] std::size_t Find(std::size_t start, const PCRE2_SIZE** ovector) {
        if (!context_ || !data_) {
            return 0;
        }
        int rc = Match(start, 0);
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT && !jitStack_) {
            jitStack_.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
            pcre2_jit_stack_assign(context_.get(), nullptr, jitStack_.get());
            rc = Match(start, 0);
        }
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
            rc = Match(start, PCRE2_NO_JIT);
        }
        if (rc <= 0) { // no match, or an error: the matches found before it stand
            return 0;
        }
        *ovector = pcre2_get_ovector_pointer(data_.get());
        return static_cast<std::size_t>(rc);
    }

private:
    int Match(std::size_t start, uint32_t options) {
        return pcre2_match(code_, Pcre2Units(subject_), subject_.size(), start, options, data_.get(),
                           context_.get());
    }

    const pcre2_code* code_;
    std::u16string_view subject_;
    std::unique_ptr<pcre2_match_context, MatchContextFree> context_;
    std::unique_ptr<pcre2_match_data, MatchDataFree> data_;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> jitStack_;
};

// Every match of the engine's pattern in subject (only the first unless global): each search resumes
// where the previous match ended, and one code unit later after an empty match, as JavaScript does.
void FindMatches(const RegexEngine& engine, MatchCollection& collection) {
    uint32_t groups = 0;
    pcre2_pattern_info(engine.code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    collection.groupCount = groups;
    const std::size_t pairs = collection.PairsPerMatch();
    Search search(engine.code.get(), collection.subject);
    std::size_t start = 0;
    while (start <= collection.subject.size()) {
        const PCRE2_SIZE* ovector = nullptr;
        const std::size_t set = search.Find(start, &ovector);
        if (set == 0) {
            break;
        }
        // Pairs past the highest group that took part are not promised to be reset.
        for (std::size_t pair = 0; pair < pairs; ++pair) {
            const bool isSet = pair < set && ovector[2 * pair] != PCRE2_UNSET;
            collection.offsets.push_back(isSet ? ovector[2 * pair] : PCRE2_UNSET);
            collection.offsets.push_back(isSet ? ovector[2 * pair + 1] : PCRE2_UNSET);
        }
        if (!engine.global) {
            break;
        }
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[0] + 1;
    }
}

// Appends replacement, expanded for match number `match` (0-based) of found: "$$", "$&", "$`", "$'",
// and "$n" or "$nn" for groups 1 to 99, with the JavaScript rule for digits: two digits name a group
// when the pattern has that many, else the first digit alone does and the second is literal. A "$"
// before no group, or before anything else, stands for itself.
void ExpandReplacement(std::u16string_view replacement, const MatchCollection& found, std::size_t match,
                       std::u16string& out) {
    const std::u16string_view subject = found.subject;
    const PCRE2_SIZE* pairs = &found.offsets[2 * match * found.PairsPerMatch()];
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    for (std::size_t i = 0; i < replacement.size();) {
        if (replacement[i] != u'$' || i + 1 == replacement.size()) {
            out += replacement[i++];
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out += u'$';
            i += 2;
        } else if (next == u'&') {
            out += subject.substr(pairs[0], pairs[1] - pairs[0]);
            i += 2;
        } else if (next == u'`') {
            out += subject.substr(0, pairs[0]);
            i += 2;
        } else if (next == u'\'') {
            out += subject.substr(pairs[1]);
            i += 2;
        } else if (isDigit(next)) {
            std::size_t digits = i + 2 < replacement.size() && isDigit(replacement[i + 2]) ? 2 : 1;
            std::size_t group = next - u'0';
            if (digits == 2) {
                group = group * 10 + (replacement[i + 2] - u'0');
                if (group > found.groupCount) {
                    digits = 1;
                    group = next - u'0';
                }
            }
            if (group >= 1 && group <= found.groupCount) {
                if (pairs[2 * group] != PCRE2_UNSET) {
                    out += subject.substr(pairs[2 * group], pairs[2 * group + 1] - pairs[2 * group]);
                }
            } else {
                out += replacement.substr(i, 1 + digits);
            }
            i += 1 + digits;
        } else {
            out += u'$';
            ++i;
        }
    }
}

// The text of pair `group` (0: the whole match) of match matchIndex (1-based), and where it begins in
// gbk, the subject the matches were found in: an empty text and −1 when there is no such match or
// group, or the group took no part. The text is the subject's own bytes, so a byte that is not GBK
// comes back as it stands there, not as the "?" the engine saw in its place.
Text PairText(const MatchCollection* found, std::string_view gbk, int matchIndex, int group, int* position) {
    if (position) {
        *position = -1;
    }
    if (!found || matchIndex < 1 || static_cast<std::size_t>(matchIndex) > found->Count() || group < 0 ||
        static_cast<std::size_t>(group) > found->groupCount) {
        return {};
    }
    const std::size_t pair =
        (static_cast<std::size_t>(matchIndex) - 1) * found->PairsPerMatch() + static_cast<std::size_t>(group);
    const PCRE2_SIZE start = found->offsets[2 * pair];
    if (start == PCRE2_UNSET) {
        return {};
    }
    const std::vector<int>& bytes = found->ByteOffsets(gbk);
    const auto byteStart = static_cast<std::size_t>(bytes[2 * pair]);
    const auto byteEnd = static_cast<std::size_t>(bytes[2 * pair + 1]);
    if (position) {
        *position = static_cast<int>(byteStart);
    }
    return Text(std::string(gbk.substr(byteStart, byteEnd > byteStart ? byteEnd - byteStart : 0)));
}

} // namespace
} // namespace detail

bool RegexMatcher::Create(const Text& pattern, const Text& subject, bool caseSensitive, bool multiline,
                          bool global) {
    auto engine = std::make_shared<detail::RegexEngine>();
    engine->pattern = pattern;
    engine->global = global;
    engine->code = detail::Compile(GbkUnits(pattern), caseSensitive, multiline);
    regexObject = engine;

    std::shared_ptr<detail::MatchCollection> found;
    if (engine->code) {
        found = std::make_shared<detail::MatchCollection>();
        found->subject = GbkUnits(subject);
        detail::FindMatches(*engine, *found);
    }
    matchCollection = std::move(found);
    storedSubject = subject;
    return matchCollection != nullptr;
}

Text RegexMatcher::GetPattern() const {
    return regexObject ? regexObject->pattern : Text();
}

Text RegexMatcher::Replace(const Text& replacement) const {
    if (!regexObject || !regexObject->code) {
        return {};
    }
    detail::MatchCollection found;
    found.subject = GbkUnits(storedSubject);
    detail::FindMatches(*regexObject, found);
    const std::u16string replacementUnits = GbkUnits(replacement);
    std::u16string out;
    out.reserve(found.subject.size());
    std::size_t copied = 0; // the subject is copied up to here; matches are in order and do not overlap
    for (std::size_t match = 0; match < found.Count(); ++match) {
        const PCRE2_SIZE* pairs = &found.offsets[2 * match * found.PairsPerMatch()];
        out.append(found.subject, copied, pairs[0] - copied);
        detail::ExpandReplacement(replacementUnits, found, match, out);
        copied = pairs[1];
    }
    out.append(found.subject, copied);
    return detail::FromUnits(out);
}

int RegexMatcher::GetMatchCount() const {
    return matchCollection ? static_cast<int>(matchCollection->Count()) : 0;
}

Text RegexMatcher::GetMatchText(int matchIndex, int* position) const {
    return detail::PairText(matchCollection.get(), storedSubject.View(), matchIndex, 0, position);
}

Text RegexMatcher::GetSubMatchText(int matchIndex, int groupIndex, int* position) const {
    // Group 0 would be the whole match: not a group number.
    const int group = groupIndex >= 1 ? groupIndex : -1;
    return detail::PairText(matchCollection.get(), storedSubject.View(), matchIndex, group, position);
}

RegexLimits SetRegexLimits(RegexLimits limits) {
    const RegexLimits previous = detail::gLimits;
    detail::gLimits = limits;
    return previous;
}

int RegexMatcher::GetSubMatchCount() const {
    return GetMatchCount() > 0 ? static_cast<int>(matchCollection->groupCount) : 0;
}

} // namespace vellmora
