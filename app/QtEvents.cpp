#include "app/QtEvents.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

namespace vellmora {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

// What the wait hook runs. Qt's own way to leave input for later, ExcludeUserInputEvents, counts a
// window manager's close request as input too, and keeps it queued with the clicks: a window closed
// during a wait on a silent server would stay open until the server's time-out. So every event is
// processed, and this filter takes the input out of the way instead. The window system delivers
// input to a window (a QWindow) first, which hands it to its widgets; only that first delivery is
// held, and later sent to the same window, which hands it on as if it had just come.
class InputHold : public QObject {
public:
    void Wait() {
        QCoreApplication::instance()->installEventFilter(this);
        waiting_ = true;
        QCoreApplication::processEvents();
        waiting_ = false;
        QCoreApplication::instance()->removeEventFilter(this);
        if (!held_.empty()) {
            QTimer::singleShot(0, this, [this] { Release(); });
        }
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!waiting_ || !receiver->isWindowType() || !IsUserInput(event->type())) {
            return false;
        }
        held_.push_back({QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    // Runs from the event loop after a wait: the main loop, a ProcessEvents, or the next wait, in
    // which case the held input stays held (Wait asks again afterwards).
    void Release() {
        if (waiting_) {
            return;
        }
        std::vector<Held> held = std::move(held_);
        held_.clear();
        for (Held& h : held) {
            if (h.receiver) {
                QCoreApplication::sendEvent(h.receiver, h.event.get());
            }
        }
    }

    bool waiting_ = false;
    std::vector<Held> held_;
};

} // namespace

EventHook InstallQtEventHook() {
    // processEvents() handles the quit request like the main loop would: it marks every running
    // loop, the main one included, to end, rather than swallowing the request.
    return SetEventHook([] { QCoreApplication::processEvents(); });
}

WaitHook InstallQtWaitHook() {
    auto hold = std::make_shared<InputHold>();
    return SetWaitHook([hold] {
        hold->Wait();
        return WaitAnswer::Continue;
    });
}

} // namespace vellmora
