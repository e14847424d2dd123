// Settings and counters of page retrieval that only the tests change or read.
#pragma once

#include <chrono>

namespace vellmora {

/// When a retrieval gives up. The defaults are the program's values; tests shorten them so that a
/// time-out shows within a second or two.
struct RetrievalTimeouts {
    /// Name look-up, TCP and TLS handshakes, and a proxy's CONNECT, together.
    std::chrono::milliseconds connect{10'000};
    /// Fewer than lowSpeedBytesPerSecond for this long end the transfer; libcurl counts it in whole
    /// seconds. It averages the speed over several seconds, so once bytes have arrived, a limit far
    /// above what a test server sends is what makes the time-out come after lowSpeed.
    std::chrono::seconds lowSpeed{15};
    long lowSpeedBytesPerSecond = 1;
};

/// Sets the time-outs of the retrievals that start from now on; answers the previous ones.
RetrievalTimeouts SetRetrievalTimeouts(RetrievalTimeouts timeouts);

/// How many client instances have been created since the program started.
[[nodiscard]] int HttpClientCreations();

/// Makes the next creation of the client instance fail halfway, after part of it was made.
void FailNextHttpClientCreation();

/// Releases the client instance now, as the program's end does; the next retrieval creates a new one.
/// Does nothing while a retrieval is under way.
void ReleaseHttpClient();

/// Takes back StopAllRetrievals, so that the tests after one that stopped everything run normally.
void ResumeRetrievals();

} // namespace vellmora
