#include "app/Program.h"

#include "app/MainWindow.h"
#include "app/QtEvents.h"
#include "app/WindowSearch.h"
#include "search/HttpGet.h"

#include <QApplication>

namespace vellmora {

int RunMainWindow(const SearchHosts& hosts) {
    const EventHook previousEvents = InstallQtEventHook();
    const WaitHook previousWait = InstallQtWaitHook();

    MainWindow window;
    ConnectSearch(window, hosts);
    // The program goes away with its window; a search waiting on the network then ends at once.
    const QMetaObject::Connection stop =
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [] { StopAllRetrievals(); });
    window.show();
    // Closing the window, the program's only one, ends the loop with code 0.
    const int code = QApplication::exec();

    QObject::disconnect(stop);
    SetWaitHook(previousWait);
    SetEventHook(previousEvents);
    return code;
}

} // namespace vellmora
