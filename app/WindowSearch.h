// The Search button wired to the search.
#pragma once

#include "app/MainWindow.h"
#include "search/HttpGet.h"
#include "search/Search.h"

namespace vellmora {

/// Makes a click on the window's Search button run the whole search against hosts, fetching pages with
/// fetch, under a busy cursor. No control is disabled meanwhile: a click handled inside the search
/// runs a second search inside the first.
void ConnectSearch(MainWindow& window, SearchHosts hosts, PageFetcher fetch = HttpGet);

} // namespace vellmora
