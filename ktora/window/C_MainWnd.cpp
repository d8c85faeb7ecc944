#include "ktora/window/C_MainWnd.h"

#include "ktora/thread/C_CriticalLock.h"
#include "ktora/window/C_Wnd.h"

namespace ktora {

C_MainWnd* C_MainWnd::m_this = nullptr;
HINSTANCE C_MainWnd::m_hInstance = nullptr;
HINSTANCE C_MainWnd::m_hPrevInstance = nullptr;
wchar_t* C_MainWnd::m_lpCmdLine = nullptr;
int C_MainWnd::m_nCmdShow = 0;
HWND C_MainWnd::m_hWnd = nullptr;
int C_MainWnd::m_mode = C_MainWnd::kRunMessageLoop;
int C_MainWnd::m_bActive = 0;
void* C_MainWnd::m_hMutex = nullptr;
int C_MainWnd::m_bExist = 0;
WNDCLASSW C_MainWnd::m_WndClass = {};
C_WString C_MainWnd::m_className;
C_CriticalSection C_MainWnd::m_cs;

namespace {

int AtomResult(ATOM atom) {
    return static_cast<int>(static_cast<unsigned short>(atom));
}

// Dialogs expect FALSE for an unhandled message; other windows the default procedure.
bool IsDialogWindow(HWND hwnd) {
    wchar_t name[16] = {};
    return GetClassNameW(hwnd, name, static_cast<int>(sizeof name / sizeof name[0])) > 0 &&
           lstrcmpW(name, L"#32770") == 0;
}

} // namespace

C_MainWnd::C_MainWnd() {
    m_this = this;
    m_mode = kRunMessageLoop;
    m_bExist = 0;
    m_hMutex = nullptr;
}

C_MainWnd::~C_MainWnd() {
    // Routing stops first: the dialogs destroyed below still send messages, and the derived
    // part of this object no longer exists to answer them.
    if (m_this == this) {
        m_this = nullptr;
    }
    // Unlink each node before destroying its window, so the list never holds a freed node.
    while (m_pDialogList) {
        std::unique_ptr<tag_Dialog> node = std::move(m_pDialogList);
        m_pDialogList = std::move(node->pNext);
        if (node->hWnd != nullptr && IsWindow(node->hWnd)) {
            DestroyWindow(node->hWnd);
        }
    }
    if (m_hWnd != nullptr && !IsWindow(m_hWnd)) {
        m_hWnd = nullptr;
    }
    if (m_hMutex != nullptr) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
        m_bExist = 0;
    }
}

HWND C_MainWnd::GetHWnd() const {
    return m_hWnd;
}

void C_MainWnd::Register(HINSTANCE const& instance, HINSTANCE const& prevInstance,
                         wchar_t* const& cmdLine, int const& cmdShow) {
    m_hInstance = instance;
    m_hPrevInstance = prevInstance;
    m_lpCmdLine = cmdLine;
    m_nCmdShow = cmdShow;
}

int C_MainWnd::RegisterClassW(C_WString const& className, wchar_t const* menuName) {
    m_className = className;
    WNDCLASSW wc = ktora_DefaultWndClass(m_hInstance, m_className.GetString(), gWndProc, menuName);
    m_WndClass = wc;
    return AtomResult(::RegisterClassW(&wc));
}

int C_MainWnd::RegisterClassW(WNDCLASSW* wc, bool useFrameworkProc) {
    if (wc == nullptr) {
        return 0;
    }
    if (useFrameworkProc) {
        wc->lpfnWndProc = gWndProc;
    }
    m_WndClass = *wc;
    return AtomResult(::RegisterClassW(wc));
}

int C_MainWnd::RegisterClassExW(WNDCLASSEXW* wc, bool useFrameworkProc) {
    if (wc == nullptr) {
        return 0;
    }
    if (useFrameworkProc) {
        wc->lpfnWndProc = gWndProc;
    }
    m_WndClass.lpszClassName = wc->lpszClassName;
    m_WndClass.lpszMenuName = wc->lpszMenuName;
    return AtomResult(::RegisterClassExW(wc));
}

int C_MainWnd::MakeWindow(C_WString const& title, unsigned long style, int width, int height) {
    // The requested size is the client area; the outer frame is centred on the client size.
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) >> 1;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) >> 1;
    HWND hWnd = CreateWindowExW(0, m_WndClass.lpszClassName, title.GetString(), style, x, y, width,
                                height, nullptr, nullptr, m_hInstance, nullptr);
    if (hWnd == nullptr) {
        return 0;
    }
    RECT rc = {0, 0, width, height};
    AdjustWindowRect(&rc, style, m_WndClass.lpszMenuName != nullptr ? TRUE : FALSE);
    SetWindowPos(hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE);
    m_hWnd = hWnd;
    return 1;
}

int C_MainWnd::DialogExec(wchar_t const* templateName, LPARAM initParam) {
    return static_cast<int>(
        DialogBoxParamW(m_hInstance, templateName, nullptr, gWndProc, initParam));
}

int C_MainWnd::DialogModeLessExec(wchar_t const* templateName) {
    HWND dialog = CreateDialogParamW(m_hInstance, templateName, nullptr, gWndProc, 0);
    if (dialog == nullptr) {
        return 0;
    }
    m_hWnd = dialog;
    AddModeLessDialog(dialog);
    return 1;
}

int C_MainWnd::AddModeLessDialog(HWND& dialog) {
    if (dialog == nullptr) {
        return 0;
    }
    std::unique_ptr<tag_Dialog>* tail = &m_pDialogList;
    while (*tail) {
        tail = &(*tail)->pNext;
    }
    *tail = std::make_unique<tag_Dialog>();
    (*tail)->hWnd = dialog;
    return 1;
}

void C_MainWnd::SetRunMode(int const& mode) {
    m_mode = mode;
}

int C_MainWnd::MainRun() {
    using Loop = int (C_MainWnd::*)();
    static const Loop loops[3] = {&C_MainWnd::CallMainLoop, &C_MainWnd::CallGameLoop,
                                  &C_MainWnd::CallDialogLoop};
    if (m_mode < kRunMessageLoop || m_mode > kRunDialogLoop) {
        m_mode = kRunMessageLoop;
    }
    return (this->*loops[m_mode])();
}

int C_MainWnd::CallMainLoop() {
    if (m_this != nullptr) {
        m_this->Initialize();
    }
    return MainLoop();
}

int C_MainWnd::CallGameLoop() {
    if (m_this != nullptr) {
        m_this->Initialize();
    }
    return GameLoop();
}

int C_MainWnd::CallDialogLoop() {
    if (m_this != nullptr) {
        m_this->Initialize();
    }
    return DialogLoop();
}

void C_MainWnd::DrawFrame() {}

int C_MainWnd::MainLoop() {
    MSG msg = {};
    // GetMessageW gives -1 on an invalid call; that ends the loop instead of spinning.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int C_MainWnd::GameLoop() {
    MSG msg = {};
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else if (m_bActive != 0 && m_this != nullptr) {
            m_this->DrawFrame();
        } else {
            WaitMessage();
        }
    }
}

int C_MainWnd::DialogLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bool taken = false;
        for (tag_Dialog* node = m_pDialogList.get(); node != nullptr; node = node->pNext.get()) {
            if (IsDialogMessageW(node->hWnd, &msg)) {
                taken = true;
                break;
            }
        }
        if (!taken) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

int C_MainWnd::CreateAppMutex(C_WString const& name) {
    C_CriticalLock lock(&m_cs);
    if (m_hMutex != nullptr) {
        return 1;
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.GetString());
    DWORD error = GetLastError();
    m_hMutex = mutex;
    m_bExist = (mutex != nullptr && error == ERROR_ALREADY_EXISTS) ? 1 : 0;
    return mutex != nullptr ? 1 : 0;
}

int C_MainWnd::IsFirstTimeCreateAppMutex(C_WString const& name) {
    if (!CreateAppMutex(name)) {
        return 0;
    }
    return IsExistThisApp() == 0 ? 1 : 0;
}

int C_MainWnd::IsExistThisApp() const {
    return m_bExist;
}

void C_MainWnd::CloseAppMutex() {
    if (m_hMutex != nullptr) {
        CloseHandle(m_hMutex);
        m_bExist = 0;
        m_hMutex = nullptr;
    }
}

LRESULT CALLBACK C_MainWnd::gWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    C_MainWnd* app = m_this;
    if (app == nullptr) {
        // No application object (not yet, or being torn down): the system's default.
        return IsDialogWindow(hwnd) ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = app->WndProc(hwnd, message, wParam, lParam);
    if (message == WM_ACTIVATE) {
        m_bActive = static_cast<int>(LOWORD(wParam));
        return 0;
    }
    return result;
}

} // namespace ktora
