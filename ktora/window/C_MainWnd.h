#pragma once

#include <memory>

#include "ktora/string/C_WString.h"
#include "ktora/thread/C_CriticalSection.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

// One modeless dialog of the application, in the order they were added.
struct tag_Dialog {
    HWND hWnd = nullptr;
    std::unique_ptr<tag_Dialog> pNext;
};

// Base of the one application object of a process: keeps the start-up values, creates the main
// window or dialog, routes every message of its windows to WndProc, and runs the message loop.
//
// How to use: derive, override Initialize (make the window or dialog there) and WndProc, call
// Register from WinMain, pick a run mode, then return MainRun(). Only one object may exist at
// a time: the newest one receives the messages, and the start-up values, the window class and
// the mutex are shared by all (static). Everything runs on the thread that calls MainRun.
// Results: 1 done, 0 not done, unless a comment says otherwise.
class C_MainWnd : public I_Wnd {
public:
    // Which loop MainRun runs; any other value counts as kRunMessageLoop.
    enum RunMode : int {
        kRunMessageLoop = 0, // waits for messages (GetMessage)
        kRunGameLoop = 1,    // calls DrawFrame whenever no message waits and the app is active
        kRunDialogLoop = 2,  // like kRunMessageLoop, with keyboard navigation in modeless dialogs
    };

    C_MainWnd();
    ~C_MainWnd() override;
    C_MainWnd(C_MainWnd const&) = delete;
    C_MainWnd& operator=(C_MainWnd const&) = delete;

    // --- Override: what the application supplies ---
    // Called once by the loop MainRun picks, before the first message; its result is ignored.
    virtual int Initialize() = 0;
    // The handler of every window and dialog of the application; it may change its arguments.
    // Dialogs expect TRUE for a handled message. For WM_ACTIVATE the framework keeps the
    // state from wParam as the handler left it, and answers 0 whatever this returns.
    virtual LRESULT WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) = 0;
    // One frame of kRunGameLoop; does nothing unless overridden.
    virtual void DrawFrame();

    // --- Called by the framework: MainRun picks one of these; override to wrap a loop ---
    virtual int CallMainLoop();
    virtual int CallGameLoop();
    virtual int CallDialogLoop();

    // --- Single instance: a named mutex held for the object's life ---
    // 1 when the mutex is held (also when it was already held).
    virtual int CreateAppMutex(C_WString const& name);
    // 1 only when this call made the first instance of the named mutex on the system.
    virtual int IsFirstTimeCreateAppMutex(C_WString const& name);
    // 1 when the named mutex existed already at CreateAppMutex.
    virtual int IsExistThisApp() const;
    virtual void CloseAppMutex();

    HWND GetHWnd() const override;

    // The WinMain arguments, kept for everyone.
    static void Register(HINSTANCE const& instance, HINSTANCE const& prevInstance,
                         wchar_t* const& cmdLine, int const& cmdShow);
    // The class atom, or 0. useFrameworkProc replaces the class's procedure with gWndProc.
    static int RegisterClassW(C_WString const& className, wchar_t const* menuName);
    static int RegisterClassW(WNDCLASSW* wc, bool useFrameworkProc);
    static int RegisterClassExW(WNDCLASSEXW* wc, bool useFrameworkProc);
    // width and height are the client area; the window is centred on the screen by that size.
    static int MakeWindow(C_WString const& title, unsigned long style, int width, int height);

    // A modal dialog; what EndDialog was given, or -1 when it could not be made.
    int DialogExec(wchar_t const* templateName, LPARAM initParam);
    // A modeless dialog that becomes the main window and joins the dialog list.
    int DialogModeLessExec(wchar_t const* templateName);
    // Adds a modeless dialog to the list kRunDialogLoop hands keyboard messages to.
    int AddModeLessDialog(HWND& dialog);
    tag_Dialog const* GetDialogList() const { return m_pDialogList.get(); }

    // mode is a RunMode.
    void SetRunMode(int const& mode);
    int GetRunMode() const { return m_mode; }
    // Runs the chosen loop until WM_QUIT; the quit message's code.
    int MainRun();

    static HINSTANCE GetHInstance() { return m_hInstance; }
    static wchar_t const* GetCmdLine() { return m_lpCmdLine; }
    static int GetCmdShow() { return m_nCmdShow; }
    static C_MainWnd* GetCurrentApp() { return m_this; }
    static int IsActive() { return m_bActive; }
    static C_CriticalSection* GetCriticalSection() { return &m_cs; }
    static WNDCLASSW const& GetWndClass() { return m_WndClass; }

    // The one window and dialog procedure of the framework.
    static LRESULT CALLBACK gWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The loops themselves; each returns the quit message's code.
    virtual int MainLoop();
    virtual int GameLoop();
    virtual int DialogLoop();

    static C_MainWnd* m_this;
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hPrevInstance;
    static wchar_t* m_lpCmdLine;
    static int m_nCmdShow;
    static HWND m_hWnd;
    static int m_mode;
    static int m_bActive;
    static void* m_hMutex;
    static int m_bExist;
    static WNDCLASSW m_WndClass;
    static C_WString m_className;
    static C_CriticalSection m_cs;

private:
    std::unique_ptr<tag_Dialog> m_pDialogList;
};

} // namespace ktora
