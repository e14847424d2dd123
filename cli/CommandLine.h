// vellmora-cli's command line: the options read, the search run, the rows printed.
#pragma once

#include <functional>
#include <ostream>

namespace vellmora {

/// Exit statuses besides 0, which means the search ran, with or without rows.
inline constexpr int kExitUsageError = 2;
inline constexpr int kExitInterrupted = 130;

/// The whole program behind main. Reads the options and the keyword from argv (UTF-8), runs the search
/// against the hosts the options name or else the built-in ones, and prints the rows to out in the
/// chosen format, or for --verbose first one line for each page to err. Answers the exit status.
///
/// --help and --version print to out and run no search. A usage error prints a one-line message and
/// the usage to err and answers kExitUsageError. When interrupted answers true after the search (the
/// caller has stopped the retrievals meanwhile), nothing is printed and the answer is kExitInterrupted.
int RunCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err,
                   const std::function<bool()>& interrupted);

} // namespace vellmora
