#include "serial/ComThread.h"

#include "serial/ComPort.h"

#include <chrono>

namespace kestrune {

namespace {

// How often a closing GUI thread looks for a new hand-over while the thread winds down.
constexpr std::chrono::milliseconds StopServeInterval{2};

} // namespace

TComThread::TComThread(TCustomComPort& comPort) : FComPort(comPort) {
    // A device that refuses the mask fails the first wait, which ends the thread quietly.
    FComPort.FDevice->SetCommMask(ComEventsMask(FComPort.FEvents));
    FThread = std::thread([this] { Execute(); });
}

TComThread::~TComThread() {
    if (FThread.joinable()) {
        Stop();
    }
}

void TComThread::Stop() {
    FStopRequested = true;
    FComPort.FDevice->CancelWait();
    std::this_thread::yield();
    IGuiDispatcher& dispatcher = FComPort.FEnvironment.Dispatcher;
    std::unique_lock lock(FMutex);
    while (!FFinished) {
        lock.unlock();
        dispatcher.ServePending();
        lock.lock();
        FFinishedChanged.wait_for(lock, StopServeInterval, [this] { return FFinished; });
    }
    lock.unlock();
    FThread.join();
}

void TComThread::Execute() {
    try {
        WaitLoop();
    } catch (...) {
        // A failed hand-over ends the thread without a word; the port stays open and writable.
    }
    ISerialDevice& device = *FComPort.FDevice;
    device.SetCommMask(0);
    device.PurgeComm(comm::PurgeTxClear | comm::PurgeRxClear);
    {
        const std::lock_guard lock(FMutex);
        FFinished = true;
    }
    FFinishedChanged.notify_all();
}

void TComThread::WaitLoop() {
    ISerialDevice& device = *FComPort.FDevice;
    while (true) {
        std::uint32_t mask = 0;
        const int error = device.WaitCommEvent(mask);
        // A stop request wins over events that came with it; a failed wait (the device has gone)
        // ends the thread instead of spinning on it.
        if (FStopRequested || error != 0) {
            return;
        }
        if (mask != 0) {
            FEvents = ComEventsFromMask(mask);
            Deliver();
        }
    }
}

void TComThread::Deliver() {
    switch (FComPort.FSyncMethod) {
    case TSyncMethod::smThreadSync:
        FComPort.FEnvironment.Dispatcher.Synchronize([this] { FComPort.DispatchEvents(FEvents); });
        break;
    case TSyncMethod::smWindowSync:
        // One hand-over per event; a failure in one is traced on the GUI thread and the thread
        // goes on.
        for (const TComEvent event : ComDispatchOrder) {
            if (!FEvents.Contains(event)) {
                continue;
            }
            FComPort.FEnvironment.Dispatcher.Synchronize([this, event] {
                try {
                    if (FComPort.Connected()) {
                        FComPort.DispatchEvent(event);
                    }
                } catch (const std::exception& e) {
                    FComPort.FEnvironment.Trace.Output(e.what());
                }
            });
        }
        break;
    case TSyncMethod::smNone:
        FComPort.DispatchEvents(FEvents);
        break;
    case TSyncMethod::smDisableEvents:
        break;
    }
}

} // namespace kestrune
