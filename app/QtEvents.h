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
/// input: clicks and keys are held back and handed on, in the order they came, once the retrieval
/// is over (at the search's next ProcessEvents or when it ends), so no handler runs inside a
/// retrieval and the window never looks hung. A request to close the window (its close button,
/// Alt+F4, Esc) is handled at once, so closing the window ends a retrieval that waits on a silent
/// server. Answers the hook it replaces.
WaitHook InstallQtWaitHook();

} // namespace vellmora
