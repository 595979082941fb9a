#include "serial/GuiDispatcher.h"

#include <utility>

namespace kestrune {

TQueuedGuiDispatcher::TQueuedGuiDispatcher(std::function<void()> wakeGuiThread)
    : FWakeGuiThread(std::move(wakeGuiThread)) {}

void TQueuedGuiDispatcher::Synchronize(const std::function<void()>& call) {
    TRequest request{&call, {}};
    std::future<void> done = request.Done.get_future();
    {
        const std::lock_guard lock(FMutex);
        FPending.push_back(&request);
    }
    FPendingChanged.notify_all();
    if (FWakeGuiThread) {
        FWakeGuiThread();
    }
    done.get();
}

void TQueuedGuiDispatcher::ServePending() {
    std::deque<TRequest*> requests;
    {
        const std::lock_guard lock(FMutex);
        requests.swap(FPending);
    }
    for (TRequest* request : requests) {
        try {
            (*request->Call)();
            request->Done.set_value();
        } catch (...) {
            request->Done.set_exception(std::current_exception());
        }
    }
}

bool TQueuedGuiDispatcher::WaitForPending(std::chrono::milliseconds timeout) {
    std::unique_lock lock(FMutex);
    return FPendingChanged.wait_for(lock, timeout, [this] { return !FPending.empty(); });
}

} // namespace kestrune
