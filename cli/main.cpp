// vellmora-cli: the window's search from a terminal or a script. Ctrl+C stops the retrieval under way
// and ends the program with status 130, printing no rows.
#include "cli/CommandLine.h"
#include "search/HttpGet.h"
#include "text/Heap.h"

#include <csignal>
#include <iostream>

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

// Only what a signal handler may do: a flag of its own and the retrieval's lock-free stop request.
extern "C" void OnInterrupt(int /*signal*/) {
    gInterrupted = 1;
    vellmora::StopAllRetrievals();
}

} // namespace

int main(int argc, char* argv[]) {
    vellmora::KeepFreedMemoryForPages();
    std::signal(SIGINT, OnInterrupt);
    return vellmora::RunCommandLine(argc, argv, std::cout, std::cerr, [] { return gInterrupted != 0; });
}
