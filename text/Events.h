// Letting the window handle its waiting events from inside long-running work.
#pragma once

#include <functional>

namespace vellmora {

/// Dispatches the events waiting in the user-interface thread's queue, until the queue is empty or
/// the next event is the request to quit. Window event handlers, including a new run of the one that
/// called it, may run inside. Does nothing until the application installs a hook.
void ProcessEvents();

/// What ProcessEvents runs. The application installs one at start; an empty function removes it.
/// Answers the hook it replaces, so a caller can put it back.
using EventHook = std::function<void()>;
EventHook SetEventHook(EventHook hook);

} // namespace vellmora
