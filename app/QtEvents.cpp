#include "app/QtEvents.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace vellmora {

EventHook InstallQtEventHook() {
    // processEvents() handles the quit request like the main loop would: it marks every running
    // loop, the main one included, to end, rather than swallowing the request.
    return SetEventHook([] { QCoreApplication::processEvents(); });
}

WaitHook InstallQtWaitHook() {
    return SetWaitHook([] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return WaitAnswer::Continue;
    });
}

} // namespace vellmora
