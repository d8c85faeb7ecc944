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
class C_MainWnd : public I_Wnd {
public:
    C_MainWnd();
    ~C_MainWnd() override;
    C_MainWnd(C_MainWnd const&) = delete;
    C_MainWnd& operator=(C_MainWnd const&) = delete;

    HWND GetHWnd() const override;
    virtual int CallMainLoop();
    virtual int CallGameLoop();
    virtual int CallDialogLoop();
    virtual void DrawFrame();
    virtual int Initialize() = 0;
    virtual int CreateAppMutex(C_WString const& name);
    virtual int IsFirstTimeCreateAppMutex(C_WString const& name);
    virtual int IsExistThisApp() const;
    virtual void CloseAppMutex();
    // The handler of every window and dialog of the application; it may change its arguments.
    virtual LRESULT WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) = 0;

    static void Register(HINSTANCE const& instance, HINSTANCE const& prevInstance,
                         wchar_t* const& cmdLine, int const& cmdShow);
    static int RegisterClassW(C_WString const& className, wchar_t const* menuName);
    static int RegisterClassW(WNDCLASSW* wc, bool useFrameworkProc);
    static int RegisterClassExW(WNDCLASSEXW* wc, bool useFrameworkProc);
    static int MakeWindow(C_WString const& title, unsigned long style, int width, int height);

    int DialogExec(wchar_t const* templateName, LPARAM initParam);
    int DialogModeLessExec(wchar_t const* templateName);
    int AddModeLessDialog(HWND& dialog);
    tag_Dialog const* GetDialogList() const { return m_pDialogList.get(); }

    void SetRunMode(int const& mode);
    int GetRunMode() const { return m_mode; }
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
