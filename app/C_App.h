#pragma once

#include <atomic>

#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "ktora/string/Pointer.h"
#include "ktora/thread/C_ThreadEx.h"
#include "ktora/window/C_MainWnd.h"

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

private:
    // The dialog's side of a copy run: owned message boxes and the start button's caption.
    bool Ask(wchar_t const* text, wchar_t const* caption) override;
    void Tell(wchar_t const* text, wchar_t const* caption) override;
    void RunStarted() override;
    void CopyStarting(int index, int count, ktora::C_WString const& target) override;
    void RunCompleted() override;

    void OnCommand(int id);
    void OnStart();
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
};
