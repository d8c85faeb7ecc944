#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>

#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "ktora/string/Pointer.h"
#include "ktora/thread/C_ThreadEx.h"
#include "ktora/window/C_MainWnd.h"

struct ITaskbarList3;
struct IUnknown;

// Releases a COM interface when its holder goes.
struct ComRelease {
    void operator()(IUnknown* object) const;
};

// Kasumido's application object: the main dialog, its commands and the copy run.
class C_App : public ktora::C_MainWnd, private I_CopyFront {
public:
    C_App(HINSTANCE const& instance, HINSTANCE const& prevInstance, wchar_t* const& cmdLine,
          int const& cmdShow);
    ~C_App() override;

    HWND GetHWnd() const override;
    int Initialize() override;
    LRESULT WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) override;

    // Runs on the worker thread: makes the copies of one run.
    int CopyWorker(ktora::common::Pointer<CopyState> state);

    // The settings as the controls hold them, and the controls set from settings: the one
    // place each way between the dialog and CopySettings.
    CopySettings ReadSettings() const;
    void ShowSettings(CopySettings const& settings);

private:
    // The dialog's side of a copy run: owned message boxes, the start button's caption, the
    // title, the progress band and the taskbar button.
    bool Ask(wchar_t const* text, wchar_t const* caption, bool defaultNo) override;
    void Tell(wchar_t const* text, wchar_t const* caption) override;
    void RunStarted() override;
    void CopyStarting(CopyProgress const& progress) override;
    void CopyFinished(CopyProgress const& progress, bool made) override;
    void RunCompleted() override;

    void OnCommand(int id, int code);
    void OnStart();
    void OnDropFiles(HDROP drop);
    void OnProgress(CopyProgress const& progress, bool finished);
    void EndProgress();
    void UpdatePreview();
    void FillProfileList();
    void LoadProfile();
    void SelectRule(int id, int index);
    void WaitForWorker(DWORD milliseconds);
    void EnableTextGroup(BOOL enable);
    ktora::C_WString ReadItemText(int id) const;
    int Message(wchar_t const* text, wchar_t const* caption, UINT buttons) const;

    HWND m_hDialog;
    ktora::C_ThreadEx m_thread;
    // Written by the dialog's thread, polled by the worker.
    std::atomic<int> abort_requested;
    // 1 from the start of a run until its worker leaves the copy loop.
    std::atomic<int> m_runActive;
    // The taskbar button's progress; null where the shell offers none.
    std::unique_ptr<ITaskbarList3, ComRelease> m_pTaskbar;
    bool m_bComReady;
    bool m_bRunFailed; // a copy of the current run failed: the taskbar shows the error state
};
