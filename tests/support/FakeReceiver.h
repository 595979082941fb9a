#pragma once
// Receiver control's surroundings: the controls it reads and the caption it writes, and a port
// that records every write and RTS change with the fake clock's time and fails when told to.

#include "core/ReceiverControl.h"
#include "support/FakeClock.h"

#include <string>
#include <vector>

namespace kestrune::test {

class TFakeReceiverView final : public IReceiverView {
public:
    int RxType = RxRx2;
    bool Scan = true;
    std::string Caption;
    int SelectorChanges = 0;
    std::vector<std::string> Messages, Warnings;

    int ReceiverType() const override { return RxType; }
    bool ScanWhenIdle() const override { return Scan; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void ChannelSelectorChanged() override { ++SelectorChanges; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void Warn(const std::string& text) override { Warnings.push_back(text); }
};

// Every write and RTS call, stamped with the fake clock's time in milliseconds since `origin`.
class TFakePort final : public IReceiverPort {
public:
    struct TEvent {
        long long AtMs;
        std::string What; // "WRITE F0", "RTS 1"
        bool operator==(const TEvent&) const = default;
    };

    TFakePort(const TFakeClock& clock, TDateTime origin) : FClock(clock), FOrigin(origin) {}

    bool Open = true;
    int FailWritesFrom = -1; // the write with this number (from 0) and later ones fail
    std::vector<TEvent> Events;
    int WriteCount = 0;

    bool Connected() const override { return Open; }
    void WriteStr(const std::string& bytes) override;
    void SetRTSLine(bool high) override;
    void CloseAfterFailure() override { Open = false; }
    void Reopen() override {}
    std::vector<std::string> Writes() const;
    long long NowMs() const;

private:
    const TFakeClock& FClock;
    TDateTime FOrigin;
};

} // namespace kestrune::test
