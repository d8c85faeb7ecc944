// The window framework on real windows: routing to the one application object, the run modes,
// the modeless dialog list, window creation and teardown.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "ktora/window/C_MainWnd.h"
#include "ktora/window/C_Wnd.h"
#include "ktora/window/C_WndDumy.h"

using ktora::C_MainWnd;
using ktora::C_WString;

namespace {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
};

// A test application that records what reaches its handler.
class TestApp : public C_MainWnd {
public:
    explicit TestApp(std::vector<Seen>* log = nullptr) : m_log(log) {
        Register(GetModuleHandleW(nullptr), nullptr, m_cmdLine, SW_SHOW);
    }
    int Initialize() override {
        ++initialized;
        if (quitOnInit >= 0) {
            PostQuitMessage(quitOnInit);
        }
        return 1;
    }
    void DrawFrame() override {
        if (++frames == 3) {
            PostQuitMessage(33);
        }
    }
    LRESULT WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) override {
        if (m_log != nullptr) {
            m_log->push_back({hwnd, message, wParam});
        }
        if (message == WM_ACTIVATE && flipActivate) {
            wParam = WA_INACTIVE;
            return 5;
        }
        if (message == WM_USER + 1) {
            return 1234;
        }
        if (isWindowClass) {
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        return 0;
    }
    using C_MainWnd::m_bActive;

    int initialized = 0;
    int quitOnInit = -1;
    int frames = 0;
    bool flipActivate = false;
    bool isWindowClass = false;

private:
    std::vector<Seen>* m_log;
    wchar_t m_cmdLine[8] = L"";
};

// A dialog with one edit (ID 100), built in memory.
HWND MakeDialog() {
    alignas(4) WORD words[64] = {};
    int i = 0;
    auto dword = [&](DWORD v) {
        words[i++] = LOWORD(v);
        words[i++] = HIWORD(v);
    };
    dword(WS_POPUP | WS_CAPTION); // style
    dword(0);                     // extended style
    words[i++] = 1;               // one control
    words[i++] = 0;               // x, y, cx, cy
    words[i++] = 0;
    words[i++] = 100;
    words[i++] = 50;
    words[i++] = 0; // no menu
    words[i++] = 0; // default class
    words[i++] = 0; // no title
    if (i % 2) {
        ++i; // items start on a DWORD
    }
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL);
    dword(0);
    words[i++] = 5;
    words[i++] = 5;
    words[i++] = 50;
    words[i++] = 12;
    words[i++] = 100;    // ID
    words[i++] = 0xFFFF; // class by atom: edit
    words[i++] = 0x0081;
    words[i++] = 0; // no text
    words[i++] = 0; // no creation data
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(words), nullptr,
                                      C_MainWnd::gWndProc, 0);
}

bool Contains(std::vector<Seen> const& log, HWND hwnd, UINT message, WPARAM wParam) {
    for (Seen const& s : log) {
        if (s.hwnd == hwnd && s.message == message && s.wParam == wParam) {
            return true;
        }
    }
    return false;
}

void RegisterTestClass() {
    static int atom = C_MainWnd::RegisterClassW(C_WString(L"KtoraMainWndTest"), nullptr);
    ASSERT_NE(0, atom);
}

} // namespace

TEST(C_MainWnd, RoutesEveryWindowToTheLastConstructedObjectAndTracksActivation) {
    std::vector<Seen> first, second;
    TestApp a(&first);
    EXPECT_EQ(&a, C_MainWnd::GetCurrentApp());
    TestApp b(&second);
    EXPECT_EQ(&b, C_MainWnd::GetCurrentApp());
    b.isWindowClass = true;
    RegisterTestClass();
    ASSERT_EQ(1, C_MainWnd::MakeWindow(C_WString(L"routing"), WS_OVERLAPPEDWINDOW, 200, 100));
    HWND hwnd = b.GetHWnd();
    ASSERT_NE(nullptr, hwnd);

    EXPECT_EQ(1234, SendMessageW(hwnd, WM_USER + 1, 9, 0));
    EXPECT_TRUE(Contains(second, hwnd, WM_USER + 1, 9));
    EXPECT_FALSE(Contains(first, hwnd, WM_USER + 1, 9));

    // The activation state is taken from wParam after the handler, and the result is 0.
    EXPECT_EQ(0, SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0));
    EXPECT_EQ(WA_ACTIVE, C_MainWnd::IsActive());
    b.flipActivate = true;
    EXPECT_EQ(0, SendMessageW(hwnd, WM_ACTIVATE, WA_CLICKACTIVE, 0));
    EXPECT_EQ(0, C_MainWnd::IsActive());
    DestroyWindow(hwnd);
}

TEST(C_MainWnd, MakeWindowCentresTheFrameAndSizesTheClientArea) {
    TestApp app;
    app.isWindowClass = true;
    RegisterTestClass();
    ASSERT_EQ(1, C_MainWnd::MakeWindow(C_WString(L"size"), WS_OVERLAPPEDWINDOW, 300, 120));
    HWND hwnd = app.GetHWnd();
    RECT outer = {}, client = {};
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 300) >> 1, outer.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 120) >> 1, outer.top);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(120, client.bottom);
    EXPECT_FALSE(IsWindowVisible(hwnd)); // not shown unless the style says so
    DestroyWindow(hwnd);
}

TEST(C_MainWnd, OutOfRangeRunModesFallBackToTheMainLoop) {
    for (int mode : {3, -1}) {
        TestApp app;
        app.quitOnInit = 7;
        app.SetRunMode(mode);
        EXPECT_EQ(7, app.MainRun());
        EXPECT_EQ(C_MainWnd::kRunMessageLoop, app.GetRunMode());
        EXPECT_EQ(1, app.initialized);
    }
}

TEST(C_MainWnd, GameLoopDrawsFramesWhileActiveUntilQuit) {
    TestApp app;
    app.m_bActive = 1;
    app.SetRunMode(C_MainWnd::kRunGameLoop);
    EXPECT_EQ(33, app.MainRun());
    EXPECT_EQ(3, app.frames);
    app.m_bActive = 0;
}

TEST(C_MainWnd, DialogLoopOffersKeysToTheOwningDialogOnlyAndDispatchesTheRest) {
    std::vector<Seen> log;
    TestApp app(&log);
    HWND d1 = MakeDialog();
    HWND d2 = MakeDialog();
    ASSERT_NE(nullptr, d1);
    ASSERT_NE(nullptr, d2);
    HWND nullHandle = nullptr;
    EXPECT_EQ(0, app.AddModeLessDialog(nullHandle));
    ASSERT_EQ(1, app.AddModeLessDialog(d1));
    ASSERT_EQ(1, app.AddModeLessDialog(d2));
    ASSERT_NE(nullptr, app.GetDialogList());
    EXPECT_EQ(d1, app.GetDialogList()->hWnd);
    EXPECT_EQ(d2, app.GetDialogList()->pNext->hWnd);

    // Enter in dialog 2's edit: its dialog manager turns it into IDOK for dialog 2.
    PostMessageW(GetDlgItem(d2, 100), WM_KEYDOWN, VK_RETURN, 0);
    // A message for no dialog is dispatched to its window.
    PostMessageW(d1, WM_USER + 7, 42, 0);
    PostQuitMessage(11);
    app.SetRunMode(C_MainWnd::kRunDialogLoop);
    EXPECT_EQ(11, app.MainRun());
    EXPECT_TRUE(Contains(log, d2, WM_COMMAND, IDOK));
    EXPECT_FALSE(Contains(log, d1, WM_COMMAND, IDOK));
    EXPECT_TRUE(Contains(log, d1, WM_USER + 7, 42));
}

TEST(C_MainWnd, TeardownDestroysItsDialogsWithoutReachingTheDeadObject) {
    std::vector<Seen> log;
    HWND dialog = nullptr;
    HWND window = nullptr;
    size_t before = 0;
    {
        auto app = std::make_unique<TestApp>(&log);
        app->isWindowClass = true;
        RegisterTestClass();
        ASSERT_EQ(1, C_MainWnd::MakeWindow(C_WString(L"survivor"), WS_OVERLAPPEDWINDOW, 50, 50));
        window = app->GetHWnd();
        dialog = MakeDialog();
        ASSERT_EQ(1, app->AddModeLessDialog(dialog));
        before = log.size();
        app.reset(); // the dialog's WM_DESTROY arrives while the object is half destroyed
    }
    EXPECT_EQ(before, log.size());
    EXPECT_EQ(nullptr, C_MainWnd::GetCurrentApp());
    EXPECT_FALSE(IsWindow(dialog));
    // Windows that are not dialogs stay, and are served by the default procedure meanwhile.
    ASSERT_TRUE(IsWindow(window));
    wchar_t title[32] = {};
    EXPECT_EQ(8, GetWindowTextW(window, title, 32));
    EXPECT_STREQ(L"survivor", title);
    DestroyWindow(window);
}

TEST(C_MainWnd, DialogModeLessExecFailsWithoutTouchingTheList) {
    TestApp app;
    HWND before = app.GetHWnd();
    EXPECT_EQ(0, app.DialogModeLessExec(MAKEINTRESOURCEW(999)));
    EXPECT_EQ(nullptr, app.GetDialogList());
    EXPECT_EQ(before, app.GetHWnd());
    EXPECT_EQ(-1, app.DialogExec(MAKEINTRESOURCEW(999), 0)); // no such template
}

TEST(C_MainWnd, RegisterClassExUsesTheFrameworkProcedureWhenAsked) {
    std::vector<Seen> log;
    TestApp app(&log);
    app.isWindowClass = true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KtoraMainWndTestEx";
    ASSERT_NE(0, C_MainWnd::RegisterClassExW(&wc, true));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(C_MainWnd::gWndProc), wc.lpfnWndProc);
    EXPECT_STREQ(L"KtoraMainWndTestEx", C_MainWnd::GetWndClass().lpszClassName);
    ASSERT_EQ(1, C_MainWnd::MakeWindow(C_WString(L"ex"), WS_OVERLAPPEDWINDOW, 50, 50));
    EXPECT_EQ(1234, SendMessageW(app.GetHWnd(), WM_USER + 1, 3, 0));
    EXPECT_TRUE(Contains(log, app.GetHWnd(), WM_USER + 1, 3));
    DestroyWindow(app.GetHWnd());
}

TEST(C_MainWnd, AppMutexTellsASecondInstance) {
    const wchar_t name[] = L"ktora-test-app-mutex";
    {
        TestApp app;
        ASSERT_EQ(1, app.IsFirstTimeCreateAppMutex(C_WString(name)));
        EXPECT_EQ(0, app.IsExistThisApp());
        EXPECT_EQ(1, app.CreateAppMutex(C_WString(L"another-name"))); // already held: kept
        EXPECT_EQ(1, app.IsFirstTimeCreateAppMutex(C_WString(name)));
    }
    HANDLE other = CreateMutexW(nullptr, FALSE, name);
    ASSERT_NE(nullptr, other);
    {
        TestApp app;
        EXPECT_EQ(0, app.IsFirstTimeCreateAppMutex(C_WString(name)));
        EXPECT_EQ(1, app.IsExistThisApp());
        app.CloseAppMutex();
        EXPECT_EQ(0, app.IsExistThisApp());
    }
    CloseHandle(other);
}

TEST(C_Wnd, CreatesOneWindowAndDestroysItOnlyOnRequest) {
    TestApp app;
    ASSERT_NE(0,
              ktora::InitApp(GetModuleHandleW(nullptr), L"KtoraWndTest", DefWindowProcW, nullptr));
    EXPECT_EQ(0, ktora::InitApp(GetModuleHandleW(nullptr), L"KtoraWndTest", DefWindowProcW,
                                nullptr)); // already registered
    C_WString className(L"KtoraWndTest2");
    ASSERT_NE(0, ktora::C_Wnd::RegistWnd(DefWindowProcW, className, nullptr));
    HWND held = nullptr;
    {
        ktora::C_Wnd parent;
        ASSERT_EQ(1, parent.MakeWindow(nullptr, C_WString(L"KtoraWndTest"), C_WString(L"p"),
                                       WS_OVERLAPPEDWINDOW, 100, 80, nullptr));
        ktora::C_WndDumy dummy(parent.GetHWnd());
        ktora::C_Wnd child;
        ASSERT_EQ(1,
                  child.MakeWindow(&dummy, className, C_WString(L"c"), WS_CHILD, 10, 10, nullptr));
        EXPECT_EQ(parent.GetHWnd(), GetParent(child.GetHWnd()));
        HWND first = child.GetHWnd();
        EXPECT_EQ(0,
                  child.MakeWindow(&dummy, className, C_WString(L"d"), WS_CHILD, 10, 10, nullptr));
        EXPECT_EQ(first, child.GetHWnd());
        child.KillWindow();
        EXPECT_EQ(nullptr, child.GetHWnd());
        EXPECT_FALSE(IsWindow(first));
        held = parent.GetHWnd();
    }
    EXPECT_TRUE(IsWindow(held)); // the destructor leaves the window alone
    DestroyWindow(held);

    ktora::C_WndDumy a(reinterpret_cast<HWND>(0x1234));
    ktora::C_WndDumy b = a;
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), b.GetHWnd());
    b.SetHWnd(nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), a.GetHWnd());
}
