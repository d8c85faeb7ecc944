// xcopy.exe: copies files and folder trees (installed into the Wine prefix for Kasumido).
#include "tools/xcopy/C_Console.h"
#include "tools/xcopy/C_Xcopy.h"
#include "tools/xcopy/xcopy_args.h"
#include "tools/xcopy/xcopy_messages.h"

#include <windows.h>

#include <imm.h>

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<int> g_abort{0};
HANDLE g_mainThread = nullptr;

// Gives the main thread a bounded time to stop on its own (it checks the flag between blocks
// and while waiting for an answer); if it is stuck in a system call, the process ends here.
void StopSoon() {
    g_abort.store(1);
    if (!g_mainThread)
        return;
    if (WaitForSingleObject(g_mainThread, 3000) == WAIT_TIMEOUT)
        TerminateProcess(GetCurrentProcess(), xcopy::kExitInterrupted);
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        g_abort.store(1);
        return TRUE;
    }
    StopSoon();
    return TRUE;
}

LRESULT CALLBACK CloseWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE || msg == WM_ENDSESSION) {
        StopSoon();
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

// A console program has no window of its own that a caller could ask to close; this hidden
// top-level window takes that request (WM_CLOSE) and turns it into an interruption.
DWORD WINAPI CloseWindowThread(void*) {
    // Without an IME the thread gets no default IME window, which a caller looking for the
    // process's first window could find before this one and ask in vain.
    ImmDisableIME(0);
    WNDCLASSW wc{};
    wc.lpfnWndProc = CloseWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"XcopyCloseRequest";
    if (!RegisterClassW(&wc))
        return 0;
    HWND hWnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"xcopy", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hWnd)
        return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int main() {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_mainThread,
                    SYNCHRONIZE, FALSE, 0);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    if (HANDLE t = CreateThread(nullptr, 64 * 1024, CloseWindowThread, nullptr,
                                STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr))
        CloseHandle(t);

    xcopy::C_Console console;
    console.SetAbortFlag(&g_abort);
    const bool japanese = console.IsJapanese();
    xcopy::Options options;
    std::wstring bad;
    const wchar_t* copycmd = _wgetenv(L"COPYCMD");
    switch (
        xcopy::ParseArguments(xcopy::SplitCommandLine(GetCommandLineW()), copycmd, options, bad)) {
    case xcopy::ParseResult::BadSwitch:
        console.Err(xcopy::Format(xcopy::Msg::BadSwitch, japanese, bad.c_str()));
        return xcopy::kExitBadParameters;
    case xcopy::ParseResult::BadCount:
        console.Err(xcopy::Text(xcopy::Msg::BadCount, japanese));
        return xcopy::kExitBadParameters;
    case xcopy::ParseResult::Ok:
        break;
    }
    xcopy::C_Xcopy job(options, console, g_abort);
    int code = job.Run();
    console.Flush();
    return code;
}
