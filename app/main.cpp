// Program start: the window shown centred, the event loop run until the window closes.
#include "app/MainWindow.h"
#include "app/QtEvents.h"
#include "app/WindowSearch.h"
#include "search/HttpGet.h"
#include "text/Heap.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    vellmora::KeepFreedMemoryForPages();
    QApplication application(argc, argv);
    vellmora::InstallQtEventHook();
    vellmora::InstallQtWaitHook();

    vellmora::MainWindow window;
    vellmora::ConnectSearch(window, vellmora::BuiltInSearchHosts());
    // The program goes away with its window; a search waiting on the network then ends at once.
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, [] { vellmora::StopAllRetrievals(); });
    window.show();
    // Closing the window, the program's only one, ends the loop with code 0.
    const int code = QApplication::exec();

    vellmora::SetWaitHook({});
    vellmora::SetEventHook({});
    return code;
}
