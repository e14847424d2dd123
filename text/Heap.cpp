#include "text/Heap.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vellmora {

void KeepFreedMemoryForPages() {
#if defined(__GLIBC__)
    // Blocks below the mmap threshold come from the heap, and the heap is only trimmed once more than
    // the trim threshold lies free at its top. 32 MiB is the largest threshold glibc accepts; the
    // 64 MiB page cap stays above it, so a hostile page's buffers still go straight back.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

} // namespace vellmora
