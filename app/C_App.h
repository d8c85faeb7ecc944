#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>

#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "app/resource.h"
#include "ktora/string/Pointer.h"
#include "ktora/thread/C_ThreadEx.h"
#include "ktora/window/C_MainWnd.h"

struct ITaskbarList3;
struct IUnknown;

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

    // Runs on the worker thread: makes the copies of one run.
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
        // Here comes the built-in copier's check box (right of フォルダ構成のみ).
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
    void BrowseNameList();
    void FillCountFromList();
    void OnProgress(CopyProgress const& progress, bool finished);
    void EndProgress();
    void UpdatePreview();
    void FillProfileList();
    void ApplyReadingOrder();
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
    // The folder the profile list was filled from; loading reads the same one.
    ktora::C_WString m_profileFolder;
    // The names file as read last: previews read it again only when it changed.
    std::shared_ptr<NameList const> m_nameList;
};
