// Heap settings for a process that passes texts of several megabytes through its buffers.
#pragma once

namespace vellmora {

/// Asks the C library's allocator to keep freed blocks of up to 32 MiB for reuse instead of handing
/// them back to the system at once. A result page passes through several page-sized buffers, and each
/// 4 KiB of a fresh mapping costs a page fault: with the default settings, preparing a 1 MiB page
/// spends most of its time in faults rather than in work. Call once at program start. Does nothing
/// where the allocator has no such settings.
void KeepFreedMemoryForPages();

} // namespace vellmora
