// vellmora-fixture-engine: the local stand-in for the search engine, for trying the program without
// the internet. Serves on 127.0.0.1 at the port given (default 8765) until stopped.
#include "tests/support/FixtureEngine.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[]) {
    const int port = argc > 1 ? std::atoi(argv[1]) : 8765;
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr); // the server's thread inherits the mask
    const vellmora::FixtureEngine engine(port);
    std::printf("fixture search engine at http://%s/s\n", engine.Host().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
