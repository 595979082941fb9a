// The port's settings as text values in a registry key of its own.

#include "core/Text.h"
#include "serial/ComPort.h"
#include "settings/Registry.h"

#include <stdexcept>

namespace kestrune {

namespace {

// Thrown inside a store or load and replaced by the operation's own failure.
class ERegistryAccess : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens (creating when absent) the key below the path's root named after the component; null
// when the path has no "\" or the key cannot be had. Only the registry kind is provided.
std::unique_ptr<IRegistryKey> OpenSettingsKey(TStorageKind kind, IRegistry& registry,
                                              const std::string& path,
                                              const std::string& componentName) {
    if (kind != TStorageKind::Registry) {
        throw ERegistryAccess("only the registry kind is provided");
    }
    std::unique_ptr<IRegistryKey> key;
    const std::size_t separator = path.find('\\');
    if (separator == std::string::npos) {
        return key;
    }
    const std::string rootName = UpperCaseAscii(path.substr(0, separator));
    const TRootKey root =
        rootName == "HKEY_LOCAL_MACHINE" ? TRootKey::LocalMachine : TRootKey::CurrentUser;
    std::string keyPath = path.substr(separator + 1);
    if (keyPath.empty() || keyPath.back() != '\\') {
        keyPath += '\\';
    }
    keyPath += componentName;
    if (registry.CreateKey(root, keyPath, KeyAllAccess, key) != ErrorSuccess) {
        key.reset();
    }
    return key;
}

void WriteString(IRegistryKey* key, const std::string& name, const std::string& text) {
    if (key == nullptr || key->SetValue(name, RegSz, Utf16Bytes(text)) != ErrorSuccess) {
        throw ERegistryAccess(name);
    }
}

void WriteInteger(IRegistryKey* key, const std::string& name, std::int32_t value) {
    if (key == nullptr ||
        key->SetValue(name, RegDword, DwordBytes(static_cast<std::uint32_t>(value))) !=
            ErrorSuccess) {
        throw ERegistryAccess(name);
    }
}

// The value's text; a missing value (or no key at all, on a first run) reads as the empty text,
// which the conversions turn into their fallbacks. A value of another type is a failure.
std::string ReadString(IRegistryKey* key, const std::string& name) {
    if (key == nullptr) {
        return {};
    }
    TRegType type = RegNone;
    std::vector<std::uint8_t> data;
    const TRegResult result = QueryValueBytes(*key, name, type, data);
    if (result == ErrorFileNotFound) {
        return {};
    }
    if (result != ErrorSuccess || (type != RegSz && type != RegExpandSz)) {
        throw ERegistryAccess(name);
    }
    return TextFromUtf16Bytes(data);
}

std::int32_t ReadInteger(IRegistryKey* key, const std::string& name) {
    TRegType type = RegNone;
    std::vector<std::uint8_t> data;
    if (key == nullptr || QueryValueBytes(*key, name, type, data) != ErrorSuccess ||
        type != RegDword || data.size() != 4) {
        throw ERegistryAccess(name);
    }
    return static_cast<std::int32_t>(DwordFromBytes(data));
}

// Reads the text value and hands it to the setter.
template <typename Setter> void LoadText(IRegistryKey* key, const std::string& name, Setter set) {
    set(ReadString(key, name));
}

} // namespace

void TCustomComPort::StoreSettings(TStorageKind kind, const std::string& path) {
    try {
        StoreToRegistry(OpenSettingsKey(kind, FEnvironment.Registry, path, FName).get());
    } catch (...) {
        throw EComPort(comerr::StoreFailed);
    }
}

void TCustomComPort::LoadSettings(TStorageKind kind, const std::string& path) {
    bool failed = false;
    BeginUpdate();
    try {
        LoadFromRegistry(OpenSettingsKey(kind, FEnvironment.Registry, path, FName).get());
    } catch (...) {
        failed = true;
    }
    try {
        EndUpdate();
    } catch (...) {
        failed = true;
    }
    if (failed) {
        throw EComPort(comerr::LoadFailed);
    }
}

void TCustomComPort::StoreToRegistry(IRegistryKey* key) {
    if (FStoredGroups.Contains(TStoredGroup::Basic)) {
        WriteString(key, "Port", FPort);
        WriteString(key, "BaudRate", BaudRateText(FBaudRate));
        if (FBaudRate == TBaudRate::brCustom) {
            WriteInteger(key, "CustomBaudRate", FCustomBaudRate);
        }
        WriteString(key, "StopBits", StopBitsText(FStopBits));
        WriteString(key, "DataBits", DataBitsText(FDataBits));
        WriteString(key, "Parity", ParityText(FParity.Bits()));
        WriteString(key, "FlowControl", FlowControlText(FFlowControl.FlowControl()));
    }
    if (FStoredGroups.Contains(TStoredGroup::Others)) {
        WriteString(key, "EventChar", CharText(FEventChar));
        WriteString(key, "DiscardNull", BoolText(FDiscardNull));
    }
    if (FStoredGroups.Contains(TStoredGroup::Parity)) {
        WriteString(key, "Parity.Check", BoolText(FParity.Check()));
        WriteString(key, "Parity.Replace", BoolText(FParity.Replace()));
        WriteString(key, "Parity.ReplaceChar", CharText(FParity.ReplaceChar()));
    }
    if (FStoredGroups.Contains(TStoredGroup::Buffer)) {
        WriteInteger(key, "Buffer.OutputSize", FBuffer.OutputSize());
        WriteInteger(key, "Buffer.InputSize", FBuffer.InputSize());
    }
    if (FStoredGroups.Contains(TStoredGroup::Timeouts)) {
        WriteInteger(key, "Timeouts.ReadInterval", FTimeouts.ReadInterval());
        WriteInteger(key, "Timeouts.ReadTotalConstant", FTimeouts.ReadTotalConstant());
        WriteInteger(key, "Timeouts.ReadTotalMultiplier", FTimeouts.ReadTotalMultiplier());
        WriteInteger(key, "Timeouts.WriteTotalConstant", FTimeouts.WriteTotalConstant());
        WriteInteger(key, "Timeouts.WriteTotalMultiplier", FTimeouts.WriteTotalMultiplier());
    }
    if (FStoredGroups.Contains(TStoredGroup::FlowControl)) {
        const TComFlowControl& flow = FFlowControl;
        WriteString(key, "FlowControl.ControlRTS", RTSControlText(flow.ControlRTS()));
        WriteString(key, "FlowControl.ControlDTR", DTRControlText(flow.ControlDTR()));
        WriteString(key, "FlowControl.DSRSensitivity", BoolText(flow.DSRSensitivity()));
        WriteString(key, "FlowControl.OutCTSFlow", BoolText(flow.OutCTSFlow()));
        WriteString(key, "FlowControl.OutDSRFlow", BoolText(flow.OutDSRFlow()));
        WriteString(key, "FlowControl.TxContinueOnXoff", BoolText(flow.TxContinueOnXoff()));
        WriteString(key, "FlowControl.XonXoffIn", BoolText(flow.XonXoffIn()));
        WriteString(key, "FlowControl.XonXoffOut", BoolText(flow.XonXoffOut()));
        WriteString(key, "FlowControl.XoffChar", CharText(flow.XoffChar()));
        WriteString(key, "FlowControl.XonChar", CharText(flow.XonChar()));
    }
}

void TCustomComPort::LoadFromRegistry(IRegistryKey* key) {
    if (FStoredGroups.Contains(TStoredGroup::Basic)) {
        LoadText(key, "Port", [this](const std::string& text) { SetPort(text); });
        LoadText(key, "BaudRate", [this, key](const std::string& text) {
            const TBaudRate rate = BaudRateFromText(text);
            SetBaudRate(rate);
            if (rate == TBaudRate::brCustom) {
                SetCustomBaudRate(ReadInteger(key, "CustomBaudRate"));
            }
        });
        LoadText(key, "StopBits",
                 [this](const std::string& text) { SetStopBits(StopBitsFromText(text)); });
        LoadText(key, "DataBits",
                 [this](const std::string& text) { SetDataBits(DataBitsFromText(text)); });
        LoadText(key, "Parity",
                 [this](const std::string& text) { FParity.SetBits(ParityFromText(text)); });
        LoadText(key, "FlowControl", [this](const std::string& text) {
            FFlowControl.SetFlowControl(FlowControlFromText(text));
        });
    }
    const auto loadBool = [key](const std::string& name, auto set) {
        LoadText(key, name, [&](const std::string& text) { set(BoolFromText(text)); });
    };
    const auto loadChar = [key](const std::string& name, auto set) {
        LoadText(key, name, [&](const std::string& text) { set(CharFromText(text)); });
    };
    if (FStoredGroups.Contains(TStoredGroup::Others)) {
        loadChar("EventChar", [this](std::uint8_t c) { SetEventChar(c); });
        loadBool("DiscardNull", [this](bool b) { SetDiscardNull(b); });
    }
    if (FStoredGroups.Contains(TStoredGroup::Parity)) {
        loadBool("Parity.Check", [this](bool b) { FParity.SetCheck(b); });
        loadBool("Parity.Replace", [this](bool b) { FParity.SetReplace(b); });
        loadChar("Parity.ReplaceChar", [this](std::uint8_t c) { FParity.SetReplaceChar(c); });
    }
    if (FStoredGroups.Contains(TStoredGroup::Buffer)) {
        FBuffer.SetOutputSize(ReadInteger(key, "Buffer.OutputSize"));
        FBuffer.SetInputSize(ReadInteger(key, "Buffer.InputSize"));
    }
    if (FStoredGroups.Contains(TStoredGroup::Timeouts)) {
        FTimeouts.SetReadInterval(ReadInteger(key, "Timeouts.ReadInterval"));
        FTimeouts.SetReadTotalConstant(ReadInteger(key, "Timeouts.ReadTotalConstant"));
        FTimeouts.SetReadTotalMultiplier(ReadInteger(key, "Timeouts.ReadTotalMultiplier"));
        FTimeouts.SetWriteTotalConstant(ReadInteger(key, "Timeouts.WriteTotalConstant"));
        FTimeouts.SetWriteTotalMultiplier(ReadInteger(key, "Timeouts.WriteTotalMultiplier"));
    }
    if (FStoredGroups.Contains(TStoredGroup::FlowControl)) {
        TComFlowControl& flow = FFlowControl;
        LoadText(key, "FlowControl.ControlRTS", [&flow](const std::string& text) {
            flow.SetControlRTS(RTSControlFromText(text));
        });
        LoadText(key, "FlowControl.ControlDTR", [&flow](const std::string& text) {
            flow.SetControlDTR(DTRControlFromText(text));
        });
        loadBool("FlowControl.DSRSensitivity", [&flow](bool b) { flow.SetDSRSensitivity(b); });
        loadBool("FlowControl.OutCTSFlow", [&flow](bool b) { flow.SetOutCTSFlow(b); });
        loadBool("FlowControl.OutDSRFlow", [&flow](bool b) { flow.SetOutDSRFlow(b); });
        loadBool("FlowControl.TxContinueOnXoff", [&flow](bool b) { flow.SetTxContinueOnXoff(b); });
        loadBool("FlowControl.XonXoffIn", [&flow](bool b) { flow.SetXonXoffIn(b); });
        loadBool("FlowControl.XonXoffOut", [&flow](bool b) { flow.SetXonXoffOut(b); });
        loadChar("FlowControl.XoffChar", [&flow](std::uint8_t c) { flow.SetXoffChar(c); });
        loadChar("FlowControl.XonChar", [&flow](std::uint8_t c) { flow.SetXonChar(c); });
    }
}

} // namespace kestrune
