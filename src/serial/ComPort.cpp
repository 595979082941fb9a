#include "serial/ComPort.h"

#include "serial/ComSetup.h"
#include "serial/ComThread.h"

#include <cerrno>
#include <utility>

namespace kestrune {

// --- TComParity ---

template <typename T> void TComParity::Change(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    if (FComPort != nullptr) {
        FComPort->ApplyLineSettings();
    }
}

void TComParity::Assign(const TComParity& source) {
    FBits = source.FBits;
    FCheck = source.FCheck;
    FReplace = source.FReplace;
    FReplaceChar = source.FReplaceChar;
    if (FComPort != nullptr) {
        FComPort->ApplyLineSettings();
    }
}

void TComParity::SetBits(TParityBits value) {
    Change(FBits, value);
}
void TComParity::SetCheck(bool value) {
    Change(FCheck, value);
}
void TComParity::SetReplace(bool value) {
    Change(FReplace, value);
}
void TComParity::SetReplaceChar(std::uint8_t value) {
    Change(FReplaceChar, value);
}

// --- TComFlowControl ---

void TComFlowControl::ApplyLineSettings() {
    if (FComPort != nullptr) {
        FComPort->ApplyLineSettings();
    }
}

template <typename T> void TComFlowControl::Change(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    ApplyLineSettings();
}

void TComFlowControl::Assign(const TComFlowControl& source) {
    FOutCTSFlow = source.FOutCTSFlow;
    FOutDSRFlow = source.FOutDSRFlow;
    FControlDTR = source.FControlDTR;
    FControlRTS = source.FControlRTS;
    FXonXoffOut = source.FXonXoffOut;
    FXonXoffIn = source.FXonXoffIn;
    FDSRSensitivity = source.FDSRSensitivity;
    FTxContinueOnXoff = source.FTxContinueOnXoff;
    FXonChar = source.FXonChar;
    FXoffChar = source.FXoffChar;
    ApplyLineSettings();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
    Change(FOutCTSFlow, value);
}
void TComFlowControl::SetOutDSRFlow(bool value) {
    Change(FOutDSRFlow, value);
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
    Change(FControlDTR, value);
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
    Change(FControlRTS, value);
}
void TComFlowControl::SetXonXoffOut(bool value) {
    Change(FXonXoffOut, value);
}
void TComFlowControl::SetXonXoffIn(bool value) {
    Change(FXonXoffIn, value);
}
void TComFlowControl::SetDSRSensitivity(bool value) {
    Change(FDSRSensitivity, value);
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
    Change(FTxContinueOnXoff, value);
}
void TComFlowControl::SetXonChar(std::uint8_t value) {
    Change(FXonChar, value);
}
void TComFlowControl::SetXoffChar(std::uint8_t value) {
    Change(FXoffChar, value);
}

TFlowControl TComFlowControl::FlowControl() const {
    if (FControlRTS == TRTSFlowControl::rtsHandshake && FOutCTSFlow && !FXonXoffIn &&
        !FXonXoffOut) {
        return TFlowControl::fcHardware;
    }
    if (FControlRTS == TRTSFlowControl::rtsDisable && !FOutCTSFlow && FXonXoffIn && FXonXoffOut) {
        return TFlowControl::fcSoftware;
    }
    if (FControlRTS == TRTSFlowControl::rtsDisable && !FOutCTSFlow && !FXonXoffIn && !FXonXoffOut) {
        return TFlowControl::fcNone;
    }
    return TFlowControl::fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value != TFlowControl::fcCustom) {
        FControlRTS = TRTSFlowControl::rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
        if (value == TFlowControl::fcHardware) {
            FControlRTS = TRTSFlowControl::rtsHandshake;
            FOutCTSFlow = true;
        } else if (value == TFlowControl::fcSoftware) {
            FXonXoffIn = true;
            FXonXoffOut = true;
        }
    }
    ApplyLineSettings();
}

// --- TComTimeouts ---

void TComTimeouts::Change(std::int32_t& field, std::int32_t value) {
    if (field == value) {
        return;
    }
    field = value;
    if (FComPort != nullptr) {
        FComPort->ApplyTimeouts();
    }
}

void TComTimeouts::Assign(const TComTimeouts& source) {
    FReadInterval = source.FReadInterval;
    FReadTotalMultiplier = source.FReadTotalMultiplier;
    FReadTotalConstant = source.FReadTotalConstant;
    FWriteTotalMultiplier = source.FWriteTotalMultiplier;
    FWriteTotalConstant = source.FWriteTotalConstant;
    if (FComPort != nullptr) {
        FComPort->ApplyTimeouts();
    }
}

void TComTimeouts::SetReadInterval(std::int32_t valueMs) {
    Change(FReadInterval, valueMs);
}
void TComTimeouts::SetReadTotalMultiplier(std::int32_t valueMs) {
    Change(FReadTotalMultiplier, valueMs);
}
void TComTimeouts::SetReadTotalConstant(std::int32_t valueMs) {
    Change(FReadTotalConstant, valueMs);
}
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t valueMs) {
    Change(FWriteTotalMultiplier, valueMs);
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t valueMs) {
    Change(FWriteTotalConstant, valueMs);
}

// --- TComBuffer ---

void TComBuffer::Change(std::int32_t& field, std::int32_t value) {
    // The driver wants even queue sizes.
    if (value > 0 && value % 2 != 0) {
        --value;
    }
    if (field == value) {
        return;
    }
    field = value;
    if (FComPort != nullptr) {
        FComPort->ApplyBufferSizes();
    }
}

void TComBuffer::Assign(const TComBuffer& source) {
    FInputSize = source.FInputSize;
    FOutputSize = source.FOutputSize;
    if (FComPort != nullptr) {
        FComPort->ApplyBufferSizes();
    }
}

void TComBuffer::SetInputSize(std::int32_t value) {
    Change(FInputSize, value);
}
void TComBuffer::SetOutputSize(std::int32_t value) {
    Change(FOutputSize, value);
}

// --- TCustomComPort ---

TCustomComPort::TCustomComPort(std::string name, TComPortEnvironment environment)
    : FName(std::move(name)), FEnvironment(environment) {}

TCustomComPort::~TCustomComPort() {
    CloseAfterFailure();
    for (TComComboBox* list : std::vector<TComComboBox*>(FBoundLists)) {
        list->ComPortDestroyed();
    }
}

void TCustomComPort::Check(int systemError, std::int32_t code) const {
    if (systemError != 0) {
        throw EComPort(code, FPort, systemError);
    }
}

void TCustomComPort::Open() {
    if (FConnected) {
        return;
    }
    DoBeforeOpen();
    OpenDevice();
    FConnected = true;
    try {
        ApplySettings();
    } catch (...) {
        CloseDevice();
        FConnected = false;
        throw;
    }
    if (!FEvents.Empty()) {
        FEventThread = std::make_unique<TComThread>(*this);
    }
    DoAfterOpen();
    const std::uint32_t status = ModemStatus();
    DoCTSChange((status & comm::MsCtsOn) != 0);
    DoDSRChange((status & comm::MsDsrOn) != 0);
    DoRLSDChange((status & comm::MsRlsdOn) != 0);
}

void TCustomComPort::Close() {
    if (!FConnected) {
        return;
    }
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
    Check(FDevice->PurgeComm(comm::PurgeTxAbort | comm::PurgeRxAbort), comerr::PurgeFailed);
    StopEventThread();
    CloseDevice();
    FConnected = false;
    DoAfterClose();
}

void TCustomComPort::CloseAfterFailure() noexcept {
    try {
        Close();
    } catch (...) {
        StopEventThread();
        CloseDevice();
        FConnected = false;
    }
}

void TCustomComPort::StopEventThread() {
    if (FEventThread) {
        FEventThread->Stop();
        FEventThread.reset();
    }
}

void TCustomComPort::OpenDevice() {
    std::unique_ptr<ISerialDevice> device;
    const int error = FEnvironment.Devices.Open(FPort, device);
    if (error != 0 || !device) {
        FEnvironment.Trace.Output("CreateFile " + FPort);
        throw EComPort(comerr::OpenFailed, FPort, error != 0 ? error : ENODEV);
    }
    FDevice = std::move(device);
}

void TCustomComPort::CloseDevice() {
    FDevice.reset();
}

void TCustomComPort::ApplySettings() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

void TCustomComPort::ApplyBufferSizes() {
    if (!CanApply()) {
        return;
    }
    Check(FDevice->SetupComm(FBuffer.InputSize(), FBuffer.OutputSize()), comerr::SetupComFailed);
}

void TCustomComPort::ApplyTimeouts() {
    if (!CanApply()) {
        return;
    }
    TCommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = static_cast<std::uint32_t>(FTimeouts.ReadInterval());
    timeouts.ReadTotalTimeoutMultiplier =
        static_cast<std::uint32_t>(FTimeouts.ReadTotalMultiplier());
    timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(FTimeouts.ReadTotalConstant());
    timeouts.WriteTotalTimeoutMultiplier =
        static_cast<std::uint32_t>(FTimeouts.WriteTotalMultiplier());
    timeouts.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(FTimeouts.WriteTotalConstant());
    Check(FDevice->SetCommTimeouts(timeouts), comerr::TimeoutsFailed);
}

void TCustomComPort::ApplyLineSettings() {
    if (!CanApply()) {
        return;
    }
    TDeviceControlBlock dcb;
    dcb.DCBlength = comm::DcbSize;
    dcb.BaudRate = FBaudRate == TBaudRate::brCustom ? static_cast<std::uint32_t>(FCustomBaudRate)
                                                    : BaudRateValue(FBaudRate);
    dcb.fBinary = true;
    dcb.fNull = FDiscardNull;
    dcb.fOutxCtsFlow = FFlowControl.OutCTSFlow();
    dcb.fOutxDsrFlow = FFlowControl.OutDSRFlow();
    dcb.fDtrControl = DTRControlValue(FFlowControl.ControlDTR());
    dcb.fRtsControl = RTSControlValue(FFlowControl.ControlRTS());
    dcb.fOutX = FFlowControl.XonXoffOut();
    dcb.fInX = FFlowControl.XonXoffIn();
    dcb.fDsrSensitivity = FFlowControl.DSRSensitivity();
    dcb.fTXContinueOnXoff = FFlowControl.TxContinueOnXoff();
    dcb.fParity = FParity.Check();
    if (FParity.Check() && FParity.Replace()) {
        dcb.fErrorChar = true;
        dcb.ErrorChar = FParity.ReplaceChar();
    }
    // A quarter of the input queue, as the 16-bit fields take it.
    const auto limit = static_cast<std::uint16_t>(FBuffer.InputSize() / 4);
    dcb.XonLim = limit;
    dcb.XoffLim = limit;
    dcb.ByteSize = DataBitsValue(FDataBits);
    dcb.Parity = ParityValue(FParity.Bits());
    dcb.StopBits = StopBitsValue(FStopBits);
    dcb.XonChar = FFlowControl.XonChar();
    dcb.XoffChar = FFlowControl.XoffChar();
    dcb.EvtChar = FEventChar;
    Check(FDevice->SetCommState(dcb), comerr::SetStateFailed);
}

std::int32_t TCustomComPort::WriteStr(const std::string& text) {
    FEnvironment.Trace.Output("TCustomComPort.WriteStr");
    if (text.empty()) {
        return 0;
    }
    if (!FDevice) {
        throw EComPort(comerr::WriteFailed, FPort, EBADF);
    }
    std::size_t written = 0;
    Check(FDevice->WriteFile(text.data(), text.size(), written), comerr::WriteFailed);
    return static_cast<std::int32_t>(written);
}

void TCustomComPort::SetRTSLine(bool state) {
    if (!FDevice) {
        throw EComPort(comerr::EscapeComFailed, FPort, EBADF);
    }
    Check(FDevice->EscapeCommFunction(state ? TEscapeFunction::SetRts : TEscapeFunction::ClrRts),
          comerr::EscapeComFailed);
}

std::uint32_t TCustomComPort::ModemStatus() {
    std::uint32_t status = 0;
    Check(FDevice->GetCommModemStatus(status), comerr::ModemStatFailed);
    return status;
}

void TCustomComPort::SetConnected(bool value) {
    if (FLoading) {
        FConnectedWhenLoaded = value;
    } else if (value) {
        Open();
    } else {
        Close();
    }
}

void TCustomComPort::Loaded() {
    FLoading = false;
    if (FConnectedWhenLoaded) {
        FConnectedWhenLoaded = false;
        Open();
    }
}

void TCustomComPort::SetPort(const std::string& value) {
    if (value == FPort) {
        return;
    }
    FPort = value;
    if (FConnected && !FLoading) {
        Close();
        Open();
    }
}

template <typename T> void TCustomComPort::ChangeLineSetting(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    ApplyLineSettings();
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
    ChangeLineSetting(FBaudRate, value);
}
void TCustomComPort::SetCustomBaudRate(std::int32_t value) {
    ChangeLineSetting(FCustomBaudRate, value);
}
void TCustomComPort::SetDataBits(TDataBits value) {
    ChangeLineSetting(FDataBits, value);
}
void TCustomComPort::SetStopBits(TStopBits value) {
    ChangeLineSetting(FStopBits, value);
}
void TCustomComPort::SetEventChar(std::uint8_t value) {
    ChangeLineSetting(FEventChar, value);
}
void TCustomComPort::SetDiscardNull(bool value) {
    ChangeLineSetting(FDiscardNull, value);
}
void TCustomComPort::SetEvents(TComEvents value) {
    FEvents = value;
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (value == FSyncMethod) {
        return;
    }
    if (FConnected) {
        throw EComPort(comerr::ConnChangeProp);
    }
    FSyncMethod = value;
}

void TCustomComPort::BeginUpdate() {
    ++FUpdateCount;
}

void TCustomComPort::EndUpdate() {
    if (FUpdateCount == 0) {
        return;
    }
    if (--FUpdateCount == 0) {
        ApplySettings();
    }
}

void TCustomComPort::DispatchEvents(TComEvents events) {
    for (const TComEvent event : ComDispatchOrder) {
        if (events.Contains(event)) {
            DispatchEvent(event);
        }
    }
}

void TCustomComPort::DispatchEvent(TComEvent event) {
    switch (event) {
    case TComEvent::evError: {
        std::uint32_t errorMask = 0;
        TComStat stat;
        Check(FDevice->ClearCommError(errorMask, stat), comerr::ClearComFailed);
        TComErrors errors = ComErrorsFromMask(errorMask);
        if (!FParity.Check()) {
            errors.Exclude(TComError::ceRxParity);
        }
        if (!errors.Empty()) {
            DoError(errors);
        }
        break;
    }
    case TComEvent::evRxChar: {
        std::uint32_t errorMask = 0;
        TComStat stat;
        Check(FDevice->ClearCommError(errorMask, stat), comerr::ClearComFailed);
        if (stat.InQue > 0) {
            DoRxChar(static_cast<std::int32_t>(stat.InQue));
        }
        break;
    }
    case TComEvent::evTxEmpty:
        DoTxEmpty();
        break;
    case TComEvent::evBreak:
        DoBreak();
        break;
    case TComEvent::evRing:
        DoRing();
        break;
    case TComEvent::evCTS:
        DoCTSChange((ModemStatus() & comm::MsCtsOn) != 0);
        break;
    case TComEvent::evDSR:
        DoDSRChange((ModemStatus() & comm::MsDsrOn) != 0);
        break;
    case TComEvent::evRxFlag:
        DoRxFlag();
        break;
    case TComEvent::evRLSD:
        DoRLSDChange((ModemStatus() & comm::MsRlsdOn) != 0);
        break;
    case TComEvent::evRx80Full:
        DoRx80Full();
        break;
    }
}

namespace {

template <typename Handler, typename... Args>
void CallHandler(const Handler& handler, Args... args) {
    if (handler) {
        handler(args...);
    }
}

} // namespace

void TCustomComPort::DoAfterClose() {
    CallHandler(OnAfterClose);
}
void TCustomComPort::DoAfterOpen() {
    CallHandler(OnAfterOpen);
}
void TCustomComPort::DoBeforeClose() {
    CallHandler(OnBeforeClose);
}
void TCustomComPort::DoBeforeOpen() {
    CallHandler(OnBeforeOpen);
}
void TCustomComPort::DoRxChar(std::int32_t count) {
    CallHandler(OnRxChar, count);
}
void TCustomComPort::DoTxEmpty() {
    CallHandler(OnTxEmpty);
}
void TCustomComPort::DoBreak() {
    CallHandler(OnBreak);
}
void TCustomComPort::DoRing() {
    CallHandler(OnRing);
}
void TCustomComPort::DoRxFlag() {
    CallHandler(OnRxFlag);
}
void TCustomComPort::DoCTSChange(bool on) {
    CallHandler(OnCTSChange, on);
}
void TCustomComPort::DoDSRChange(bool on) {
    CallHandler(OnDSRChange, on);
}
void TCustomComPort::DoError(TComErrors errors) {
    CallHandler(OnError, errors);
}
void TCustomComPort::DoRLSDChange(bool on) {
    CallHandler(OnRLSDChange, on);
}
void TCustomComPort::DoRx80Full() {
    CallHandler(OnRx80Full);
}

} // namespace kestrune
