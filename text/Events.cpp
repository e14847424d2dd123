#include "text/Events.h"

#include <memory>

namespace vellmora {
namespace {

// Shared ownership lets a running hook replace itself, or call ProcessEvents again, without the
// function object it is executing being destroyed under it.
std::shared_ptr<const EventHook>& InstalledHook() {
    static std::shared_ptr<const EventHook> hook;
    return hook;
}

} // namespace

void ProcessEvents() {
    const std::shared_ptr<const EventHook> hook = InstalledHook();
    if (hook) {
        (*hook)();
    }
}

EventHook SetEventHook(EventHook hook) {
    std::shared_ptr<const EventHook> previous = std::move(InstalledHook());
    InstalledHook() = hook ? std::make_shared<const EventHook>(std::move(hook)) : nullptr;
    return previous ? *previous : EventHook();
}

} // namespace vellmora
