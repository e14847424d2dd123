// Settings of the regex matcher that only the tests and the fuzz targets change.
#pragma once

#include <cstdint>

namespace vellmora {

/// How far one search of the engine may go before it gives up, as PCRE2 counts it. The program's own
/// values are so high that no page reaches them; a fuzz target lowers them so that a fuzzed pattern
/// built to backtrack for ever ends in milliseconds. A search that reaches a limit ends the list of
/// matches there, as any failed search does.
struct RegexLimits {
    std::uint32_t match = UINT32_MAX;
    std::uint32_t depth = UINT32_MAX;
};

/// Sets the limits of the searches that start from now on; answers the previous ones.
RegexLimits SetRegexLimits(RegexLimits limits);

} // namespace vellmora
