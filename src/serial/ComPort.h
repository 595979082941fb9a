#pragma once
// The serial port component: owns one serial device, programs it from its settings objects,
// writes text to it, drives RTS, and runs the event thread while open.

#include "serial/ComTypes.h"
#include "serial/DebugTrace.h"
#include "serial/GuiDispatcher.h"
#include "serial/SerialDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrune {

class TCustomComPort;
class TComThread;
class IRegistry;
class IRegistryKey;
class IComSetupView;
class TComComboBox;

// Each settings object keeps a back reference to its port (none for a free-standing object used
// as the source of an assignment) and re-applies its group on the port after every change.
class TComParity {
public:
    explicit TComParity(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComParity(const TComParity&) = delete;
    TComParity& operator=(const TComParity&) = delete;
    // Copies the members and re-applies the line settings once.
    void Assign(const TComParity& source);

    TParityBits Bits() const { return FBits; }
    void SetBits(TParityBits value);
    bool Check() const { return FCheck; }
    void SetCheck(bool value);
    bool Replace() const { return FReplace; }
    void SetReplace(bool value);
    std::uint8_t ReplaceChar() const { return FReplaceChar; }
    void SetReplaceChar(std::uint8_t value);

private:
    template <typename T> void Change(T& field, T value);
    TCustomComPort* FComPort;
    TParityBits FBits = TParityBits::prNone;
    bool FCheck = false;
    bool FReplace = false;
    std::uint8_t FReplaceChar = 0;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComFlowControl(const TComFlowControl&) = delete;
    TComFlowControl& operator=(const TComFlowControl&) = delete;
    void Assign(const TComFlowControl& source);

    bool OutCTSFlow() const { return FOutCTSFlow; }
    void SetOutCTSFlow(bool value);
    bool OutDSRFlow() const { return FOutDSRFlow; }
    void SetOutDSRFlow(bool value);
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    void SetControlDTR(TDTRFlowControl value);
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    void SetControlRTS(TRTSFlowControl value);
    bool XonXoffOut() const { return FXonXoffOut; }
    void SetXonXoffOut(bool value);
    bool XonXoffIn() const { return FXonXoffIn; }
    void SetXonXoffIn(bool value);
    bool DSRSensitivity() const { return FDSRSensitivity; }
    void SetDSRSensitivity(bool value);
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    void SetTxContinueOnXoff(bool value);
    std::uint8_t XonChar() const { return FXonChar; }
    void SetXonChar(std::uint8_t value);
    std::uint8_t XoffChar() const { return FXoffChar; }
    void SetXoffChar(std::uint8_t value);

    // The preset that the individual settings make up, and setting one.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl value);

private:
    template <typename T> void Change(T& field, T value);
    void ApplyLineSettings();
    TCustomComPort* FComPort;
    bool FOutCTSFlow = false;
    bool FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = TDTRFlowControl::dtrDisable;
    TRTSFlowControl FControlRTS = TRTSFlowControl::rtsDisable;
    bool FXonXoffOut = false;
    bool FXonXoffIn = false;
    bool FDSRSensitivity = false;
    bool FTxContinueOnXoff = false;
    std::uint8_t FXonChar = 17;
    std::uint8_t FXoffChar = 19;
};

class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComTimeouts(const TComTimeouts&) = delete;
    TComTimeouts& operator=(const TComTimeouts&) = delete;
    void Assign(const TComTimeouts& source);

    std::int32_t ReadInterval() const { return FReadInterval; }
    void SetReadInterval(std::int32_t valueMs);
    std::int32_t ReadTotalMultiplier() const { return FReadTotalMultiplier; }
    void SetReadTotalMultiplier(std::int32_t valueMs);
    std::int32_t ReadTotalConstant() const { return FReadTotalConstant; }
    void SetReadTotalConstant(std::int32_t valueMs);
    std::int32_t WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
    void SetWriteTotalMultiplier(std::int32_t valueMs);
    std::int32_t WriteTotalConstant() const { return FWriteTotalConstant; }
    void SetWriteTotalConstant(std::int32_t valueMs);

private:
    void Change(std::int32_t& field, std::int32_t value);
    TCustomComPort* FComPort;
    std::int32_t FReadInterval = -1;
    std::int32_t FReadTotalMultiplier = 0;
    std::int32_t FReadTotalConstant = 0;
    std::int32_t FWriteTotalMultiplier = 100;
    std::int32_t FWriteTotalConstant = 1000;
};

class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComBuffer(const TComBuffer&) = delete;
    TComBuffer& operator=(const TComBuffer&) = delete;
    void Assign(const TComBuffer& source);

    // Sizes in bytes; an odd positive size is lowered by one.
    std::int32_t InputSize() const { return FInputSize; }
    void SetInputSize(std::int32_t value);
    std::int32_t OutputSize() const { return FOutputSize; }
    void SetOutputSize(std::int32_t value);

private:
    void Change(std::int32_t& field, std::int32_t value);
    TCustomComPort* FComPort;
    std::int32_t FInputSize = 1024;
    std::int32_t FOutputSize = 1024;
};

// What the port needs from its surroundings.
struct TComPortEnvironment {
    ISerialDeviceFactory& Devices;
    IGuiDispatcher& Dispatcher;
    IDebugTrace& Trace;
    // The registry for the stored settings and the machine's port list.
    IRegistry& Registry;
};

class TCustomComPort {
public:
    TCustomComPort(std::string name, TComPortEnvironment environment);
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // The component name, which also names its registry key.
    const std::string& Name() const { return FName; }

    void Open();
    void Close();
    // Closes the port whatever fails on the way (a device that has gone away): the event
    // thread is stopped and the device closed even when cancelling its pending I/O fails.
    void CloseAfterFailure() noexcept;
    // Writes the bytes and returns how many the device took. Callers check Connected first.
    std::int32_t WriteStr(const std::string& text);
    void SetRTSLine(bool state);

    bool Connected() const { return FConnected; }
    void SetConnected(bool value);

    const std::string& Port() const { return FPort; }
    void SetPort(const std::string& value);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    std::int32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(std::int32_t value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    std::uint8_t EventChar() const { return FEventChar; }
    void SetEventChar(std::uint8_t value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool value);
    TComEvents Events() const { return FEvents; }
    // Takes effect at the next Open.
    void SetEvents(TComEvents value);
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    // Refused with code 14 while open.
    void SetSyncMethod(TSyncMethod value);
    TStoredGroups StoredGroups() const { return FStoredGroups; }
    void SetStoredGroups(TStoredGroups value) { FStoredGroups = value; }

    TComParity& Parity() { return FParity; }
    const TComParity& Parity() const { return FParity; }
    TComFlowControl& FlowControl() { return FFlowControl; }
    const TComFlowControl& FlowControl() const { return FFlowControl; }
    TComTimeouts& Timeouts() { return FTimeouts; }
    const TComTimeouts& Timeouts() const { return FTimeouts; }
    TComBuffer& Buffer() { return FBuffer; }
    const TComBuffer& Buffer() const { return FBuffer; }

    void BeginUpdate();
    void EndUpdate();

    // While the owner sets up the port from its stored form, setters only record values; a
    // recorded Connected of true opens the port when Loaded ends the loading state.
    void BeginLoading() { FLoading = true; }
    void Loaded();
    bool Loading() const { return FLoading; }

    // The registry kind writes and reads the values of StoredGroups in the key formed from
    // `path` and the component name; failures throw codes 16 and 17. The INI-file kind is not
    // provided and fails the same way.
    void StoreSettings(TStorageKind kind, const std::string& path);
    void LoadSettings(TStorageKind kind, const std::string& path);

    // Fills the setup dialog's lists, has the view show it, and applies the choices on OK.
    void RunSetupDialog(IComSetupView& view);

    // Optional handlers; the program assigns none.
    std::function<void()> OnBeforeOpen;
    std::function<void()> OnAfterOpen;
    std::function<void()> OnBeforeClose;
    std::function<void()> OnAfterClose;
    std::function<void(std::int32_t count)> OnRxChar;
    std::function<void()> OnTxEmpty;
    std::function<void()> OnBreak;
    std::function<void()> OnRing;
    std::function<void(bool on)> OnCTSChange;
    std::function<void(bool on)> OnDSRChange;
    std::function<void(bool on)> OnRLSDChange;
    std::function<void()> OnRxFlag;
    std::function<void(TComErrors errors)> OnError;
    std::function<void()> OnRx80Full;

protected:
    // The key is null when the path named none: every write then fails, every read finds nothing.
    virtual void StoreToRegistry(IRegistryKey* key);
    virtual void LoadFromRegistry(IRegistryKey* key);
    virtual void OpenDevice();
    virtual void CloseDevice();
    virtual void ApplySettings();

    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(std::int32_t count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool on);
    virtual void DoDSRChange(bool on);
    virtual void DoError(TComErrors errors);
    virtual void DoRLSDChange(bool on);
    virtual void DoRx80Full();

    virtual void ApplyLineSettings();
    virtual void ApplyTimeouts();
    virtual void ApplyBufferSizes();

private:
    friend class TComParity;
    friend class TComFlowControl;
    friend class TComTimeouts;
    friend class TComBuffer;
    friend class TComThread;
    friend class TComComboBox;

    template <typename T> void ChangeLineSetting(T& field, T value);
    bool CanApply() const { return FConnected && FUpdateCount == 0 && !FLoading; }
    // The device's answer to a call; a failure becomes EComPort with the code and the port name.
    void Check(int systemError, std::int32_t code) const;
    std::uint32_t ModemStatus();
    // The dispatch of one reported event set, in the fixed order; runs on the GUI thread.
    void DispatchEvents(TComEvents events);
    void DispatchEvent(TComEvent event);
    void StopEventThread();

    std::string FName;
    TComPortEnvironment FEnvironment;
    std::unique_ptr<ISerialDevice> FDevice;
    std::unique_ptr<TComThread> FEventThread;
    bool FConnected = false;
    bool FLoading = false;
    bool FConnectedWhenLoaded = false;
    std::int32_t FUpdateCount = 0;

    std::string FPort = "COM1";
    TBaudRate FBaudRate = TBaudRate::br9600;
    std::int32_t FCustomBaudRate = 9600;
    TDataBits FDataBits = TDataBits::dbEight;
    TStopBits FStopBits = TStopBits::sbOneStopBit;
    std::uint8_t FEventChar = 0;
    bool FDiscardNull = false;
    TComEvents FEvents = AllComEvents;
    TSyncMethod FSyncMethod = TSyncMethod::smThreadSync;
    TStoredGroups FStoredGroups{TStoredGroup::Basic};
    TComParity FParity{this};
    TComFlowControl FFlowControl{this};
    TComTimeouts FTimeouts{this};
    TComBuffer FBuffer{this};
    // The setup lists bound to the port, told when it is destroyed.
    std::vector<TComComboBox*> FBoundLists;
};

// The component as a form stores it; all behaviour is in TCustomComPort.
class TComPort : public TCustomComPort {
public:
    using TCustomComPort::TCustomComPort;
};

} // namespace kestrune
