// How long the batch front takes to end after Ctrl+C: starts it in a console of its own, waits
// until its standard output shows a text, sends Ctrl+C into that console (as a user pressing
// it there) and times the process's end.
#include "bench/bench_clock.h"

#include <windows.h>

#include <string>
#include <vector>

// bench_abort <kasumido-batch.exe> <its options> <text to wait for>
// Prints "abort ms <from Ctrl+C to the end> exit <code>", or "abort failed".
int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 1;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0))
        return 1;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nullptr;
    si.hStdOutput = outWrite;
    si.hStdError = outWrite;
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" " + argv[2];
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &si, &pi)) {
        std::printf("abort failed\n");
        return 1;
    }
    CloseHandle(outWrite);
    // The output is ASCII where the text is ("[3/20]").
    std::string want;
    for (wchar_t const* c = argv[3]; *c; ++c)
        want += static_cast<char>(*c);
    std::string seen;
    char buffer[4096];
    DWORD read = 0;
    while (seen.find(want) == std::string::npos &&
           ReadFile(outRead, buffer, sizeof buffer, &read, nullptr) && read > 0)
        seen.append(buffer, read);
    bool sent = false;
    double start = bench::Now();
    FreeConsole();
    if (seen.find(want) != std::string::npos && AttachConsole(pi.dwProcessId)) {
        SetConsoleCtrlHandler(nullptr, TRUE);
        start = bench::Now();
        sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
        FreeConsole();
    }
    WaitForSingleObject(pi.hProcess, 60000);
    double end = bench::Now();
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (sent)
        std::printf("abort ms %d exit %lu\n", static_cast<int>((end - start) * 1000 + 0.5), code);
    else
        std::printf("abort failed\n");
    CloseHandle(outRead);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
