// Child process for the process tests. Every mode ends by itself within 30 s at the
// latest, so a failing test never leaves it behind.
//   exit N         exits with code N
//   print TEXT     writes TEXT to its output
//   big N          writes N bytes ('0'..'9' repeated) to its output
//   line           reads one line from its input, writes it upper-cased to its output and
//                  "err" to its error output; the exit code is the line's length
//   wait NAME      waits until the named event is set; exit code 0 (99 after 30 s)
//   window NAME    shows a window, sets the named event, exits with 7 when closed
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kSafetyMs = 30000;

void WriteAll(DWORD which, const char* data, size_t size) {
    HANDLE h = GetStdHandle(which);
    while (size > 0) {
        DWORD n = 0;
        if (!WriteFile(h, data, static_cast<DWORD>(size), &n, nullptr) || n == 0) {
            return;
        }
        data += n;
        size -= n;
    }
}

std::wstring Widen(const char* s) {
    return std::wstring(s, s + std::strlen(s));
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // Ends without destroying the window first: under Wine without a window manager,
        // hiding a shown window waits about 2 s for a reply that never comes.
        PostQuitMessage(7);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(7);
        return 0;
    case WM_TIMER:
        ExitProcess(99);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int RunWindow(const char* readyName) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ThreadChildWindow";
    if (!RegisterClassW(&wc)) {
        return 98;
    }
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"thread_child", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) {
        return 97;
    }
    ShowWindow(hwnd, SW_SHOW);
    SetTimer(hwnd, 1, kSafetyMs, nullptr);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, Widen(readyName).c_str());
    if (ready) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    std::string mode = argv[1];
    if (mode == "exit" && argc >= 3) {
        return std::atoi(argv[2]);
    }
    if (mode == "print" && argc >= 3) {
        WriteAll(STD_OUTPUT_HANDLE, argv[2], std::strlen(argv[2]));
        return 0;
    }
    if (mode == "big" && argc >= 3) {
        std::string data(static_cast<size_t>(std::atoi(argv[2])), '\0');
        for (size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<char>('0' + i % 10);
        }
        WriteAll(STD_OUTPUT_HANDLE, data.data(), data.size());
        return 0;
    }
    if (mode == "line") {
        std::string line;
        char c;
        DWORD n = 0;
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        while (ReadFile(in, &c, 1, &n, nullptr) && n == 1 && c != '\n') {
            line += c;
        }
        std::string upper = line;
        for (char& ch : upper) {
            if (ch >= 'a' && ch <= 'z') {
                ch = static_cast<char>(ch - 'a' + 'A');
            }
        }
        WriteAll(STD_OUTPUT_HANDLE, upper.data(), upper.size());
        WriteAll(STD_ERROR_HANDLE, "err", 3);
        return static_cast<int>(line.size());
    }
    if (mode == "wait" && argc >= 3) {
        HANDLE ev = OpenEventW(SYNCHRONIZE, FALSE, Widen(argv[2]).c_str());
        if (!ev) {
            return 98;
        }
        DWORD r = WaitForSingleObject(ev, kSafetyMs);
        CloseHandle(ev);
        return r == WAIT_OBJECT_0 ? 0 : 99;
    }
    if (mode == "window" && argc >= 3) {
        return RunWindow(argv[2]);
    }
    return 2;
}
