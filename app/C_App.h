#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>

#include "app/C_RunState.h"
#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "ktora/string/Pointer.h"
#include "ktora/thread/C_ThreadEx.h"
#include "ktora/window/C_MainWnd.h"

struct ITaskbarList3;
struct IUnknown;
// How a run ended, as its worker hands it to the dialog.
struct RunEnd;

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

    // Runs on the worker thread: makes the copies of one run and posts its end to the dialog.
    // It touches nothing of the application but the dialog's handle.
    int CopyWorker(ktora::common::Pointer<CopyState> state);

    // The settings as the controls hold them, and the controls set from settings: the one
    // place each way between the dialog and CopySettings.
    CopySettings ReadSettings() const;
    void ShowSettings(CopySettings const& settings);

private:
    // The dialog's side of the questions before a run (on the dialog's thread): owned message
    // boxes. The worker has a front of its own, which only sends and posts to the dialog.
    bool Ask(wchar_t const* text, wchar_t const* caption, bool defaultNo) override;
    void Tell(wchar_t const* text, wchar_t const* caption) override;
    void RunStarted() override {}
    void CopyStarting(CopyProgress const& /*progress*/) override {}
    void RunCompleted() override {}

    void OnCommand(int id, int code);
    // A press of the start button: what it does depends on the run state alone.
    void OnStart();
    void StartRun();
    void AskAbort();
    // Sets the run's flag and shows the button as stopping; now also ends its copiers at once.
    void StopRun(bool now);
    // The worker's end was posted (end: what it hands over, owned from here).
    void OnWorkerEnded(LPARAM end);
    void ShowEnd();
    // The window closes (or the session ends): the run is stopped and every box of the dialog
    // closed with it.
    void Close(bool sessionEnds);
    void OnDropFiles(HDROP drop);
    void OnProgress(CopyProgress const& progress, bool finished);
    void EndProgress();
    void UpdatePreview();
    void FillProfileList();
    void LoadProfile();
    void SelectRule(int id, int index);
    void EnableTextGroup(BOOL enable);
    ktora::C_WString ReadItemText(int id) const;
    int Message(wchar_t const* text, wchar_t const* caption, UINT buttons) const;

    HWND m_hDialog;
    ktora::C_ThreadEx m_thread;
    // Where the dialog stands with its run; changed on the dialog's thread only.
    C_RunState m_runState;
    // The current run's record, from its start until its end has been shown: the dialog reaches
    // the run's own abort flag and copiers through it.
    ktora::common::Pointer<CopyState> m_pRun;
    // What the worker handed over as it ended, until it is shown.
    std::unique_ptr<RunEnd> m_pEnd;
    // The taskbar button's progress; null where the shell offers none.
    std::unique_ptr<ITaskbarList3, ComRelease> m_pTaskbar;
    bool m_bComReady;
    bool m_bRunFailed; // a copy of the current run failed: the taskbar shows the error state
    bool m_bClosing;   // the window is closing: no box opens any more
};
