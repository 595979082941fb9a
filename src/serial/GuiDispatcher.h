#pragma once
// Hands work from the serial port's event thread to the GUI thread.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

namespace kestrune {

class IGuiDispatcher {
public:
    virtual ~IGuiDispatcher() = default;
    // Called on a worker thread: has the GUI thread run `call` and returns once it has; what the
    // call threw is thrown here.
    virtual void Synchronize(const std::function<void()>& call) = 0;
    // Called on the GUI thread: runs every call handed over and not yet run.
    virtual void ServePending() = 0;
};

// A queue of hand-overs. The GUI side either drains it when woken (the window layer passes a
// wake-up that posts ServePending to its event loop) or, in tests, drives it by hand.
class TQueuedGuiDispatcher final : public IGuiDispatcher {
public:
    explicit TQueuedGuiDispatcher(std::function<void()> wakeGuiThread = {});

    void Synchronize(const std::function<void()>& call) override;
    void ServePending() override;
    // Waits up to the timeout until a hand-over is pending; true if one is.
    bool WaitForPending(std::chrono::milliseconds timeout);

private:
    struct TRequest {
        const std::function<void()>* Call;
        std::promise<void> Done;
    };

    std::function<void()> FWakeGuiThread;
    std::mutex FMutex;
    std::condition_variable FPendingChanged;
    std::deque<TRequest*> FPending;
};

} // namespace kestrune
