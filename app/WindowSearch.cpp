#include "app/WindowSearch.h"

#include <QGuiApplication>

namespace vellmora {

void ConnectSearch(MainWindow& window, SearchHosts hosts, PageFetcher fetch) {
    window.SetSearchHandler([&window, hosts = std::move(hosts), fetch = std::move(fetch)] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor); // stacks, so nested searches restore it right
        OnSearchClicked(window, fetch, hosts);
        QGuiApplication::restoreOverrideCursor();
    });
}

} // namespace vellmora
