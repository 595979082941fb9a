#pragma once
// What a headless program's main loop waits on: signals turned into a readable descriptor, a
// wake-up another thread can ring, and a wait on many descriptors at once.

#include <initializer_list>
#include <vector>

namespace kestrune {

// Blocks the signals for the whole process (call before starting threads) and delivers them
// through a descriptor instead.
class TSignalWatch {
public:
    explicit TSignalWatch(std::initializer_list<int> signals);
    ~TSignalWatch();
    TSignalWatch(const TSignalWatch&) = delete;
    TSignalWatch& operator=(const TSignalWatch&) = delete;
    int Fd() const { return FFd; }
    // The signals that arrived since the last call, in order.
    std::vector<int> Take();

private:
    int FFd = -1;
};

// A wake-up that any thread may ring and the waiting thread clears.
class TWakeUp {
public:
    TWakeUp();
    ~TWakeUp();
    TWakeUp(const TWakeUp&) = delete;
    TWakeUp& operator=(const TWakeUp&) = delete;
    int Fd() const { return FFd; }
    void Ring();
    void Clear();

private:
    int FFd = -1;
};

struct TFdWatch {
    int Fd;
    bool WantsWrite = false;
};

// Waits until a descriptor can be read (or written, where asked) or timeoutMs has passed (-1:
// no limit); an interrupted wait counts as a timeout.
void WaitForEvents(const std::vector<TFdWatch>& watches, int timeoutMs);

} // namespace kestrune
