// The program's life between the start of the application object and the end: its one window, the
// search wired to it, and what happens when the window closes.
#pragma once

#include "search/Search.h"

namespace vellmora {

/// Shows the main window centred, with its Search button running searches against hosts, and runs
/// the event loop until the window closes; answers the loop's exit code, 0 for a closed window. A
/// search still waiting on the network when the window closes ends at once, with every later
/// retrieval of the run. Needs a QApplication; installs the event and wait hooks and removes them
/// before it returns.
int RunMainWindow(const SearchHosts& hosts);

} // namespace vellmora
