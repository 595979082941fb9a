#pragma once
// The serial port's event thread: waits for device events and hands each batch over for the
// port's event hooks.

#include "serial/ComTypes.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrune {

class TCustomComPort;

// The order in which the events of one reported set are handled.
constexpr std::array ComDispatchOrder{
    TComEvent::evError, TComEvent::evRxChar,  TComEvent::evTxEmpty, TComEvent::evBreak,
    TComEvent::evRing,  TComEvent::evCTS,     TComEvent::evDSR,     TComEvent::evRxFlag,
    TComEvent::evRLSD,  TComEvent::evRx80Full};

class TComThread {
public:
    // Sets the device's event mask from the port's Events and starts waiting.
    explicit TComThread(TCustomComPort& comPort);
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Called on the GUI thread: asks the thread to end and waits until it has, running the
    // hand-overs it asks for meanwhile so that a pending one cannot hold up the close.
    void Stop();

private:
    void Execute();
    void WaitLoop();
    void Deliver();

    TCustomComPort& FComPort;
    std::atomic<bool> FStopRequested = false;
    // The set last reported by the device.
    TComEvents FEvents;
    std::mutex FMutex;
    std::condition_variable FFinishedChanged;
    bool FFinished = false;
    std::thread FThread;
};

} // namespace kestrune
