// Benchmarks run under the heap settings the programs start with.
#include "text/Heap.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    vellmora::KeepFreedMemoryForPages();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
