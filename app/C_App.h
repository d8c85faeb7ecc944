#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>

#include "app/C_RunState.h"
#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "app/resource.h"
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

// One control of the main dialog: by its ID, or, for the template's labels and group boxes
// that have none (ID -1), by its text.
struct OrderedControl {
    int id;
    wchar_t const* text = nullptr; // only for ID -1
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

    // Every control of the dialog in reading order, row by row, as the dialog orders them at
    // start-up (the template keeps its own order): Tab walks the dialog as it reads, and a
    // screen reader names each edit and combo box after the label just before it.
    static constexpr OrderedControl kReadingOrder[] = {
        {-1, L"コピー元"},
        {IDC_SRC},
        {IDC_BROWSE_SRC},
        {-1, L"コピー先"},
        {IDC_DEST},
        {IDC_BROWSE_DEST},
        {-1, L"フォルダ名設定"},
        {-1, L"連結文字その１"},
        {IDC_DIR_CAT1},
        {-1, L"連結文字その２"},
        {IDC_DIR_CAT2},
        {-1, L"種類"},
        {IDC_DIR_TYPE},
        {-1, L"フォルダ名生成ルール"},
        {IDC_DIR_RULE},
        {IDC_DIR_START_LABEL},
        {IDC_DIR_START},
        {IDC_DIR_WIDTH_LABEL},
        {IDC_DIR_WIDTH},
        {IDC_TREE_ONLY},
        {IDC_COPY_BUILTIN},
        {IDC_NAME_LIST_LABEL},
        {IDC_NAME_LIST},
        {IDC_BROWSE_NAME_LIST},
        {-1, L"生成テキストの出力文字設定"},
        {IDC_TXT_ENABLE},
        {IDC_TXT_CAT1_LABEL},
        {IDC_TXT_CAT1},
        {IDC_TXT_CAT2_LABEL},
        {IDC_TXT_CAT2},
        {IDC_TXT_CAT3_LABEL},
        {IDC_TXT_CAT3},
        {IDC_TXT_RULE_LABEL},
        {IDC_TXT_RULE},
        {IDC_TXT_FRONT_LABEL},
        {IDC_TXT_FRONT},
        {IDC_PROFILES},
        {IDC_LOAD},
        // The count's text stands after it but comes first: it is what names the count.
        {-1, L"個コピーを行う"},
        {IDC_COUNT},
        {IDC_START},
        {IDC_PREVIEW_NAMES},
        {IDC_PREVIEW_LINE},
    };

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
    void BrowseNameList();
    void FillCountFromList();
    void OnProgress(CopyProgress const& progress, bool finished);
    void EndProgress();
    void UpdatePreview();
    void FillProfileList();
    void ApplyReadingOrder();
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
    // The folder the profile list was filled from; loading reads the same one.
    ktora::C_WString m_profileFolder;
    bool m_bClosing; // the window is closing: no box opens any more
    // The names file as read last: previews read it again only when it changed.
    std::shared_ptr<NameList const> m_nameList;
};
