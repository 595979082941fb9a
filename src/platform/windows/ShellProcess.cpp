#include "platform/windows/ShellProcess.h"

#include "platform/windows/UniqueHandle.h"
#include "platform/windows/WideText.h"

#include <chrono>
#include <cwctype>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrune {

namespace {

constexpr auto DestructionGrace = std::chrono::milliseconds(FinalGraceMs);
constexpr auto StopPoll = std::chrono::milliseconds(20);
// How much one call takes from the pipe, so that a flood of output cannot hold a tick.
constexpr std::size_t MaxOutputPerCall = 64 * 1024;

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

std::wstring NameOf(std::wstring_view entry) {
    // "=C:=C:\dir" entries start with "=": the name runs to the next "=".
    std::wstring name(entry.substr(0, entry.find(L'=', 1)));
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towupper(c));
    return name;
}

// The program's environment with the variables set over it (names compared without regard to
// case, as Windows does), as the block CreateProcessW takes.
std::wstring EnvironmentBlock(const TEnvironmentList& variables) {
    std::vector<std::wstring> entries;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1)
            entries.emplace_back(entry);
        ::FreeEnvironmentStringsW(strings);
    }
    for (const auto& [name, value] : variables) {
        const std::wstring entry = WideFromUtf8(name + "=" + value);
        const std::wstring key = NameOf(entry);
        std::erase_if(entries, [&](const std::wstring& e) { return NameOf(e) == key; });
        entries.push_back(entry);
    }
    std::wstring block;
    for (const std::wstring& entry : entries)
        block.append(entry).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

} // namespace

TShellProcess::TShellProcess(const std::string& command, const TEnvironmentList& environment) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE pipeRead = nullptr, pipeWrite = nullptr;
    if (!::CreatePipe(&pipeRead, &pipeWrite, &inherit, 0))
        Fail("CreatePipe");
    TUniqueHandle readEnd(pipeRead), writeEnd(pipeWrite);
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    const TUniqueHandle input(::CreateFileW(L"NUL", GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                            OPEN_EXISTING, 0, nullptr));
    if (input.get() == INVALID_HANDLE_VALUE)
        Fail("NUL");

    // Every process of the job ends when the job's last handle closes, this program's end
    // included.
    TUniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (job == nullptr)
        Fail("CreateJobObjectW");
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits))
        Fail("SetInformationJobObject");

    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell = std::wstring(system, length) + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /c " + WideFromUtf8(command);
    std::wstring block = EnvironmentBlock(environment);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so that nothing it starts can escape it.
    if (!::CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP |
                              CREATE_NO_WINDOW,
                          block.data(), nullptr, &startup, &process))
        Fail("cmd.exe");
    const TUniqueHandle thread(process.hThread);
    FProcess = process.hProcess;
    FProcessId = process.dwProcessId;
    if (!::AssignProcessToJobObject(job.get(), FProcess)) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(FProcess, 1);
        ::CloseHandle(FProcess);
        throw std::system_error(static_cast<int>(error), std::system_category(),
                                "AssignProcessToJobObject");
    }
    ::ResumeThread(thread.get());
    FJob = job.release();
    FOutput = readEnd.release();
}

TShellProcess::~TShellProcess() {
    if (GroupRunning()) {
        Stop(false);
        const auto deadline = std::chrono::steady_clock::now() + DestructionGrace;
        while (GroupRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(StopPoll);
        Stop(true);
    }
    for (HANDLE handle : {FOutput, FProcess, FJob})
        ::CloseHandle(handle);
}

bool TShellProcess::Running() {
    if (FEnded)
        return false;
    if (::WaitForSingleObject(FProcess, 0) != WAIT_OBJECT_0)
        return true;
    FEnded = true;
    DWORD code = 0;
    if (!::GetExitCodeProcess(FProcess, &code))
        FFailure = "its end was not seen: " + SystemErrorText(::GetLastError());
    else if (code != 0)
        FFailure = "exit status " + std::to_string(code);
    return false;
}

bool TShellProcess::GroupRunning() {
    if (FJobEnded)
        return false;
    if (Running())
        return true;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (::QueryInformationJobObject(FJob, JobObjectBasicAccountingInformation, &accounting,
                                    sizeof accounting, nullptr) &&
        accounting.ActiveProcesses > 0)
        return true;
    FJobEnded = true;
    return false;
}

void TShellProcess::Stop(bool force) {
    if (!GroupRunning())
        return;
    if (force)
        ::TerminateJobObject(FJob, 1);
    else
        ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, FProcessId);
}

std::string TShellProcess::TakeOutput() {
    std::string output;
    char buffer[4096];
    while (output.size() < MaxOutputPerCall) {
        DWORD available = 0;
        if (!::PeekNamedPipe(FOutput, nullptr, 0, nullptr, &available, nullptr) || available == 0)
            break;
        DWORD read = 0;
        if (!::ReadFile(FOutput, buffer, std::min<DWORD>(available, sizeof buffer), &read,
                        nullptr) ||
            read == 0)
            break;
        output.append(buffer, read);
    }
    return output;
}

} // namespace kestrune
