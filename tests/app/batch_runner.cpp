#include "app/batch_runner.h"

#include <tlhelp32.h>

#include <cstring>
#include <vector>

namespace batch_test {

namespace {

// Takes what a pipe holds without blocking; false once the pipe is broken (all writers gone).
bool Drain(HANDLE pipe, std::string* text) {
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            return false;
        }
        if (available == 0) {
            return true;
        }
        char buffer[4096];
        DWORD read = 0;
        DWORD want = available < sizeof(buffer) ? available : static_cast<DWORD>(sizeof(buffer));
        if (!ReadFile(pipe, buffer, want, &read, nullptr) || read == 0) {
            return false;
        }
        text->append(buffer, read);
    }
}

} // namespace

bool IsDir(std::wstring const& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(std::wstring const& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int CountDirs(std::wstring const& path) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            ++count;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

int CountNames(std::wstring const& path, char const* name) {
    int count = 0;
    std::wstring wide(name, name + strlen(name));
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        count += CompareStringOrdinal(data.cFileName, -1, wide.c_str(), -1, TRUE) == CSTR_EQUAL;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

std::wstring BatchExe() {
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring path(self);
    path.resize(path.find_last_of(L'\\')); // ...\tests
    path.resize(path.find_last_of(L'\\')); // build folder
    return path + L"\\bin\\kasumido-batch.exe";
}

std::vector<DWORD> CopiersOf(DWORD parent) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, L"xcopy.exe") == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

void AddManyFiles(std::wstring const& root, int count) {
    CreateDirectoryW(root.c_str(), nullptr);
    std::string bytes(4096, 'k');
    for (int i = 0; i < count; ++i) {
        WriteBytes(root + L"\\many" + std::to_wstring(i) + L".bin", bytes);
    }
}

BatchResult RunBatchExe(std::wstring const& args, std::string const& input,
                        std::wstring const& interruptAt, DWORD timeoutMs,
                        std::function<void(DWORD)> const& action, std::wstring const& exe,
                        std::wstring const& workDir) {
    BatchResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr,
           errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0) ||
        !CreatePipe(&outRead, &outWrite, &inherit, 0) ||
        !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        return result;
    }
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + (exe.empty() ? BatchExe() : exe) + L"\" " + args;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    // A console of its own, so Ctrl+C reaches the child (and its copier) and nothing else.
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                                  nullptr, workDir.empty() ? nullptr : workDir.c_str(), &si, &pi);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        CloseHandle(inWrite);
        CloseHandle(outRead);
        CloseHandle(errRead);
        return result;
    }
    std::string outBytes;
    std::string errBytes;
    DWORD written = 0;
    if (!input.empty()) {
        WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    }
    // Open until the interrupt, so that a question waits for its answer meanwhile.
    if (interruptAt.empty()) {
        CloseHandle(inWrite);
        inWrite = nullptr;
    }

    DWORD start = GetTickCount();
    bool ended = false;
    while (GetTickCount() - start < timeoutMs) {
        bool outOpen = Drain(outRead, &outBytes);
        bool errOpen = Drain(errRead, &errBytes);
        if (!ended && WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
            ended = true;
        }
        // Copiers started by the child hold the pipes too: wait for them as well.
        if (ended && !outOpen && !errOpen) {
            break;
        }
        if (!interruptAt.empty() && !result.interrupted &&
            (testsupport::FromSjis(outBytes).find(interruptAt) != std::wstring::npos ||
             testsupport::FromSjis(errBytes).find(interruptAt) != std::wstring::npos)) {
            if (action) {
                action(pi.dwProcessId);
                result.interrupted = true;
                continue;
            }
            // Ctrl+C into the child's console, as a user pressing it there.
            FreeConsole();
            if (AttachConsole(pi.dwProcessId)) {
                SetConsoleCtrlHandler(nullptr, TRUE);
                result.interrupted = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
                FreeConsole();
            }
        }
    }
    if (inWrite != nullptr) {
        CloseHandle(inWrite);
    }
    if (!ended) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    } else {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result.exit_code = static_cast<int>(code);
    }
    Drain(outRead, &outBytes);
    Drain(errRead, &errBytes);
    CloseHandle(outRead);
    CloseHandle(errRead);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    result.out = testsupport::FromSjis(outBytes);
    result.err = testsupport::FromSjis(errBytes);
    return result;
}

} // namespace batch_test
