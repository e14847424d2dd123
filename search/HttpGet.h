// Fetching one web page: the body of the answer to one HTTP GET request, as raw bytes.
#pragma once

#include "text/Text.h"

#include <functional>

namespace vellmora {

/// Sends one GET request for address, an absolute http or https address, and returns the response
/// body exactly as it arrived, whatever the status. The path and query are sent as the caller wrote
/// them (percent-encoding is the caller's job); the fragment is never sent. Redirects are followed.
///
/// Empty when the address is empty, cannot be parsed or is not http/https (no connection is made
/// then), or when nothing arrived. A transfer that breaks off, stalls, is stopped or reaches 64 MiB
/// gives the bytes received until then. Never reports an error and never throws.
///
/// Blocks the calling thread until the body has ended, calling the wait hook meanwhile. The first
/// retrieval creates the client instance that all later ones share; it is released when the program
/// ends. Retrievals must come from one thread.
[[nodiscard]] ByteSet HttpGet(const Text& address);

/// What the wait hook answers: go on waiting, or end the retrieval now with the bytes received so far.
enum class WaitAnswer { Continue, Stop };

/// Called on the retrieving thread at least every 50 ms while a retrieval waits for the network. A
/// window installs one that repaints without handling user input, so that no handler of the program
/// runs inside a retrieval. With no hook installed nothing is called.
using WaitHook = std::function<WaitAnswer()>;

/// Installs the wait hook; an empty function removes it. Answers the hook it replaces, so a caller can
/// put it back.
WaitHook SetWaitHook(WaitHook hook);

/// Ends the retrieval under way within 100 ms, with the bytes received so far, and makes every later
/// retrieval return empty without connecting: for when the program is going away (its window closed,
/// an interrupt). Only sets a lock-free flag, so it may be called from a wait hook, from another thread
/// or from a signal handler.
void StopAllRetrievals() noexcept;

} // namespace vellmora
