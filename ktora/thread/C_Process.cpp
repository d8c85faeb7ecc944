#include "ktora/thread/C_Process.h"

#include <mmsystem.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ktora/thread/ktora_thread.h"

namespace ktora {

namespace {

const unsigned long kFailed = C_Process::kRunFailed;

void CloseIf(HANDLE& h) {
    if (h) {
        CloseHandle(h);
        h = nullptr;
    }
}

// Makes a pipe whose parent end is a non-inheritable duplicate; the child's end stays
// inheritable. parentReads picks which end the parent keeps.
bool MakePipe(bool parentReads, HANDLE& parentEnd, HANDLE& childEnd) {
    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    HANDLE r = nullptr;
    HANDLE w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0)) {
        return false;
    }
    HANDLE keep = parentReads ? r : w;
    HANDLE give = parentReads ? w : r;
    HANDLE dup = nullptr;
    HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, keep, self, &dup, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        CloseHandle(r);
        CloseHandle(w);
        return false;
    }
    CloseHandle(keep);
    parentEnd = dup;
    childEnd = give;
    return true;
}

struct FindWindowData {
    DWORD pid;
    HWND main;
    HWND first;
};

BOOL CALLBACK FindChildWindow(HWND hwnd, LPARAM lParam) {
    FindWindowData* data = reinterpret_cast<FindWindowData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->pid) {
        return TRUE;
    }
    if (!data->first) {
        data->first = hwnd;
    }
    // Prefer the visible unowned window: hidden helper windows do not close the program.
    if (IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        data->main = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

C_Process::C_Process()
    : m_hRead(nullptr), m_hWrite(nullptr), m_hThird(nullptr), m_hProcess(nullptr),
      m_hSuspended(nullptr), m_dwProcessId(kFailed), m_nExitKnown(0), m_nExitCode(0) {}

C_Process::~C_Process() {
    Cleanup();
}

unsigned long C_Process::Run(wchar_t const* commandLine, int show, int mode, int waitIdle,
                             void* environment, wchar_t const* currentDirectory,
                             SECURITY_ATTRIBUTES* processAttributes,
                             SECURITY_ATTRIBUTES* threadAttributes) {
    return Launch(nullptr, commandLine, show, mode, waitIdle, environment, currentDirectory,
                  processAttributes, threadAttributes);
}

unsigned long C_Process::RunApplication(wchar_t const* application, wchar_t const* commandLine,
                                        int show, int mode, bool suspended) {
    if (!application || !*application) {
        return kFailed;
    }
    return Launch(application, commandLine, show, mode, 0, nullptr, nullptr, nullptr, nullptr,
                  suspended);
}

int C_Process::Resume() {
    if (!m_hProcess) {
        return 0;
    }
    if (m_hSuspended) {
        ResumeThread(m_hSuspended);
        CloseIf(m_hSuspended);
    }
    return 1;
}

HANDLE C_Process::GetHandle() const {
    return m_hProcess;
}

unsigned long C_Process::Launch(wchar_t const* application, wchar_t const* commandLine, int show,
                                int mode, int waitIdle, void* environment,
                                wchar_t const* currentDirectory,
                                SECURITY_ATTRIBUTES* processAttributes,
                                SECURITY_ATTRIBUTES* threadAttributes, bool suspended) {
    if (m_hProcess || !commandLine || mode < kPipeNone || mode > kNewConsole) {
        return kFailed;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show);

    const bool piped = mode >= kPipeOutput && mode <= kPipeAll;
    HANDLE parentRead = nullptr;
    HANDLE parentWrite = nullptr;
    HANDLE parentError = nullptr;
    HANDLE childIn = nullptr;
    HANDLE childOut = nullptr;
    HANDLE childErr = nullptr;
    auto closeAll = [&]() {
        CloseIf(parentRead);
        CloseIf(parentWrite);
        CloseIf(parentError);
        CloseIf(childIn);
        CloseIf(childOut);
        CloseIf(childErr);
    };
    bool ok = true;
    if (mode == kPipeOutput) {
        ok = MakePipe(true, parentRead, childOut);
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = childOut;
        si.hStdError = childOut;
    } else if (mode == kPipeInput) {
        ok = MakePipe(false, parentWrite, childIn);
        si.hStdInput = childIn;
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    } else if (mode == kPipeAll) {
        ok = MakePipe(false, parentWrite, childIn) && MakePipe(true, parentRead, childOut) &&
             MakePipe(true, parentError, childErr);
        si.hStdInput = childIn;
        si.hStdOutput = childOut;
        si.hStdError = childErr;
    }
    if (!ok) {
        closeAll();
        return kFailed;
    }
    if (piped) {
        si.dwFlags |= STARTF_USESTDHANDLES;
    }
    DWORD flags = mode == kNewConsole ? CREATE_NEW_CONSOLE : 0;
    if (show == SW_HIDE) {
        flags = DETACHED_PROCESS;
    }
    if (suspended) {
        flags |= CREATE_SUSPENDED;
    }
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(application, line.data(), processAttributes, threadAttributes,
                        piped ? TRUE : FALSE, flags, environment, currentDirectory, &si, &pi)) {
        closeAll();
        return kFailed;
    }
    // Only the child holds its ends now, so the pipes break when it ends.
    CloseIf(childIn);
    CloseIf(childOut);
    CloseIf(childErr);
    if (suspended) {
        m_hSuspended = pi.hThread;
    } else {
        CloseHandle(pi.hThread);
    }
    m_hRead = parentRead;
    m_hWrite = parentWrite;
    m_hThird = parentError;
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_nExitKnown = 0;
    m_nExitCode = 0;
    if (waitIdle) {
        WaitForInputIdle(m_hProcess, INFINITE);
    }
    return m_dwProcessId;
}

unsigned long C_Process::Run(wchar_t const* program, wchar_t const* arguments, int show, int mode,
                             int waitIdle, void* environment, wchar_t const* currentDirectory) {
    if (!program) {
        return kFailed;
    }
    std::wstring line(program);
    // A quoted program must keep its closing quote, or the arguments end up inside it.
    if (line.size() >= 1 && line[0] == L'"' && (line.size() == 1 || line.back() != L'"')) {
        line += L'"';
    }
    // An unquoted path with a blank would be cut there by the system, which then runs
    // another program (C:\Program.exe for C:\Program Files\...).
    if (!line.empty() && line[0] != L'"' && line.find_first_of(L" \t") != std::wstring::npos) {
        line = L'"' + line + L'"';
    }
    if (arguments && *arguments) {
        line += L' ';
        line += arguments;
    }
    return Run(line.c_str(), show, mode, waitIdle, environment, currentDirectory, nullptr, nullptr);
}

int C_Process::WaitEnd(unsigned long milliseconds) {
    if (!m_hProcess) {
        return kJoinNoChild;
    }
    switch (common::ktora_wait_handle(m_hProcess, milliseconds)) {
    case common::kWaitSignalled:
        Cleanup();
        return kJoinEnded;
    case common::kWaitTimeout:
        return kJoinTimeout;
    default:
        return kJoinNoChild;
    }
}

int C_Process::Join(unsigned long milliseconds) {
    return WaitEnd(milliseconds);
}

int C_Process::AskToClose() {
    if (!m_hProcess) {
        return 0;
    }
    FindWindowData data = {m_dwProcessId, nullptr, nullptr};
    EnumWindows(&FindChildWindow, reinterpret_cast<LPARAM>(&data));
    HWND target = data.main ? data.main : data.first;
    return target && PostMessageW(target, WM_CLOSE, 0, 0) ? 1 : 0;
}

int C_Process::Exit(unsigned long milliseconds) {
    if (!m_hProcess) {
        return kJoinNoChild;
    }
    AskToClose();
    return WaitEnd(milliseconds);
}

int C_Process::TryExit() {
    return Exit(1000);
}

int C_Process::Terminate() {
    if (!m_hProcess || !TerminateProcess(m_hProcess, 0xFFFFFFFFU)) {
        return 0;
    }
    // Termination completes asynchronously; give it a moment so the exit code is known.
    WaitForSingleObject(m_hProcess, 1000);
    Cleanup();
    return 1;
}

int C_Process::IsExist() {
    return m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT ? 1 : 0;
}

void C_Process::CacheExitCodeIfEnded() {
    // While the child runs the platform reports STILL_ACTIVE, which is no exit code.
    if (m_nExitKnown || !m_hProcess || WaitForSingleObject(m_hProcess, 0) != WAIT_OBJECT_0) {
        return;
    }
    DWORD code = 0;
    if (GetExitCodeProcess(m_hProcess, &code)) {
        m_nExitCode = static_cast<int>(code);
        m_nExitKnown = 1;
    }
}

int C_Process::GetExitCode(int* ok) {
    CacheExitCodeIfEnded();
    if (ok) {
        *ok = m_nExitKnown;
    }
    return m_nExitKnown ? m_nExitCode : -1;
}

unsigned long C_Process::GetProcessID() const {
    return m_dwProcessId;
}

int C_Process::Write(void const* data, unsigned size, unsigned long milliseconds) {
    if (!data || !m_hWrite || size == 0) {
        return 0;
    }
    const char* bytes = static_cast<const char*>(data);
    const DWORD t0 = timeGetTime();
    unsigned written = 0;
    for (;;) {
        DWORD n = 0;
        if (!WriteFile(m_hWrite, bytes + written, size - written, &n, nullptr)) {
            break; // the child has closed its input
        }
        written += n;
        if (written >= size) {
            break;
        }
        if (!m_hProcess || WaitForSingleObject(m_hProcess, 10) != WAIT_TIMEOUT) {
            break;
        }
        if (milliseconds != INFINITE &&
            common::ktora_time_passed(t0, timeGetTime(), milliseconds)) {
            break;
        }
    }
    return static_cast<int>(written);
}

int C_Process::ReadAvailable(C_Memory* buffer, int count, unsigned long max, bool terminate) {
    DWORD avail = 0;
    if (!m_hRead || !PeekNamedPipe(m_hRead, nullptr, 0, nullptr, &avail, nullptr) || avail == 0) {
        return 0;
    }
    if (avail > max) {
        avail = max;
    }
    unsigned long need = static_cast<unsigned long>(count) + avail + (terminate ? 1 : 0);
    if (buffer->GetSize() < need) {
        unsigned long grow = buffer->GetSize() * 2;
        if (!buffer->ReCreateBuffer(grow > need ? grow : need)) {
            return -1;
        }
    }
    char* base = static_cast<char*>(buffer->GetMemory());
    DWORD got = 0;
    if (!ReadFile(m_hRead, base + count, avail, &got, nullptr)) {
        return 0;
    }
    if (terminate) {
        base[count + got] = 0;
    }
    return static_cast<int>(got);
}

int C_Process::Read(C_Memory* buffer, unsigned long milliseconds) {
    if (!buffer || !m_hRead) {
        return 0;
    }
    const DWORD t0 = timeGetTime();
    int count = 0;
    for (;;) {
        DWORD w = m_hProcess ? WaitForSingleObject(m_hProcess, 10) : WAIT_FAILED;
        int n = ReadAvailable(buffer, count, 0xFFFFFFFFUL, true);
        if (n < 0) {
            return count;
        }
        count += n;
        if (w != WAIT_TIMEOUT) {
            break;
        }
        if (milliseconds != INFINITE &&
            common::ktora_time_passed(t0, timeGetTime(), milliseconds)) {
            return count;
        }
    }
    // The child has ended: take what it left in the pipe.
    for (;;) {
        int n = ReadAvailable(buffer, count, 0xFFFFFFFFUL, true);
        if (n <= 0) {
            break;
        }
        count += n;
    }
    CacheExitCodeIfEnded();
    return count;
}

int C_Process::ReaderStream(C_Memory* buffer, int size, int milliseconds) {
    if (!buffer || size < 0) {
        return -1;
    }
    if (size == 0) {
        return 0;
    }
    if (buffer->GetSize() < static_cast<unsigned long>(size) &&
        !buffer->ReCreateBuffer(static_cast<unsigned long>(size))) {
        return -1;
    }
    if (!m_hRead) {
        return -1;
    }
    const DWORD t0 = timeGetTime();
    int count = 0;
    bool ended = false;
    while (count < size) {
        DWORD w = m_hProcess ? WaitForSingleObject(m_hProcess, 10) : WAIT_FAILED;
        int n = ReadAvailable(buffer, count, static_cast<unsigned long>(size - count), false);
        if (n > 0) {
            count += n;
            continue; // more may be waiting; the 10 ms wait only paces an empty pipe
        }
        if (w != WAIT_TIMEOUT) {
            ended = true;
            break;
        }
        if (milliseconds >= 0 && common::ktora_time_passed(
                                     t0, timeGetTime(), static_cast<unsigned long>(milliseconds))) {
            break;
        }
    }
    if (ended) {
        CacheExitCodeIfEnded();
    }
    return count > 0 ? count : -1;
}

void C_Process::Cleanup() {
    if (m_hSuspended) {
        // Never let run: nobody would ever resume or end it.
        TerminateProcess(m_hProcess, 0xFFFFFFFFU);
        WaitForSingleObject(m_hProcess, 1000);
        CloseIf(m_hSuspended);
    }
    CacheExitCodeIfEnded();
    CloseIf(m_hRead);
    CloseIf(m_hWrite);
    CloseIf(m_hThird);
    CloseIf(m_hProcess);
    m_dwProcessId = kFailed;
}

} // namespace ktora
