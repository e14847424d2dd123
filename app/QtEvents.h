// The event processing that long-running work asks for, handed to Qt's event loop.
#pragma once

#include "search/HttpGet.h"
#include "text/Events.h"

namespace vellmora {

/// Makes ProcessEvents dispatch every Qt event waiting for the user-interface thread, input
/// included. A window closed in there asks the application's loop to quit; that loop ends as soon as
/// control returns to it. Answers the hook it replaces.
EventHook InstallQtEventHook();

/// Makes a retrieval keep the window painted while it waits for the network, without handling user
/// input: clicks and keys stay queued until the search reaches its next ProcessEvents or ends, so no
/// handler runs inside a retrieval and the window never looks hung. Answers the hook it replaces.
WaitHook InstallQtWaitHook();

} // namespace vellmora
