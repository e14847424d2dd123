// Program start: the window shown centred, the event loop run until the window closes.
#include "app/Program.h"
#include "text/Heap.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    vellmora::KeepFreedMemoryForPages();
    QApplication application(argc, argv);
    return vellmora::RunMainWindow(vellmora::BuiltInSearchHosts());
}
