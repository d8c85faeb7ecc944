#include "app/C_App.h"

#include <vector>

#include "app/NamingRules.h"
#include "app/batch.h"
#include "app/copy_messages.h"
#include "app/copy_run.h"
#include "app/profile.h"
#include "app/resource.h"
#include "ktora/file/C_Find.h"
#include "ktora/thread/C_FunctionTypeMemberA1.h"
#include "ktora/window/ktora_desktop.h"

using ktora::C_WString;
using ktora::common::Pointer;

namespace {

const wchar_t kCaptionStart[] = L"生成開始";
const wchar_t kCaptionAbort[] = L"中止";

const int kTextUnits = 2048;

// The controls that follow the text-output check box, in the order they are switched.
const int kTextGroup[] = {IDC_TXT_CAT1_LABEL, IDC_TXT_CAT2_LABEL,  IDC_TXT_CAT3_LABEL,
                          IDC_TXT_RULE_LABEL, IDC_TXT_FRONT_LABEL, IDC_TXT_CAT1,
                          IDC_TXT_CAT2,       IDC_TXT_CAT3,        IDC_TXT_RULE,
                          IDC_TXT_FRONT};

} // namespace

C_App::C_App(HINSTANCE const& instance, HINSTANCE const& prevInstance, wchar_t* const& cmdLine,
             int const& cmdShow)
    : m_hDialog(nullptr), abort_requested(0), m_runActive(0) {
    Register(instance, prevInstance, cmdLine, cmdShow);
}

C_App::~C_App() {
    abort_requested = 1;
    m_thread.Join(0);
}

HWND C_App::GetHWnd() const {
    return m_hDialog;
}

int C_App::Initialize() {
    for (wchar_t const* rule : kFolderRuleLabels) {
        SendDlgItemMessageW(m_hDialog, IDC_DIR_RULE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(rule));
    }
    for (wchar_t const* rule : kTextRuleLabels) {
        SendDlgItemMessageW(m_hDialog, IDC_TXT_RULE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(rule));
    }
    for (wchar_t const* kind : kCounterKindLabels) {
        SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(kind));
    }
    SendDlgItemMessageW(m_hDialog, IDC_DIR_RULE, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(m_hDialog, IDC_TXT_RULE, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_SETCURSEL, 0, 0);
    FillProfileList();
    EnableTextGroup(FALSE);
    SetDlgItemTextW(m_hDialog, IDC_COUNT, L"1");

    RECT client = {};
    GetClientRect(m_hDialog, &client);
    SIZE pos = ktora::GetWindowCenter(client.right - client.left, client.bottom - client.top);
    SetWindowPos(m_hDialog, nullptr, pos.cx, pos.cy, 0, 0, SWP_NOSIZE);
    ShowWindow(m_hDialog, SW_SHOW);
    return 1;
}

LRESULT C_App::WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        m_hDialog = hwnd;
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        break;
    case WM_CLOSE:
        abort_requested = 1;
        DestroyWindow(hwnd);
        break;
    case WM_DESTROY:
        if (hwnd == m_hDialog) {
            PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return 0;
}

void C_App::OnCommand(int id) {
    switch (id) {
    case IDC_START:
        OnStart();
        break;
    case IDC_LOAD:
        LoadProfile();
        break;
    case IDC_BROWSE_SRC:
    case IDC_BROWSE_DEST: {
        C_WString path;
        ktora::BrowsFolder(&path, nullptr);
        SetDlgItemTextW(m_hDialog, id == IDC_BROWSE_SRC ? IDC_SRC : IDC_DEST, path.GetString());
        break;
    }
    case IDC_TXT_ENABLE:
        EnableTextGroup(IsDlgButtonChecked(m_hDialog, IDC_TXT_ENABLE) == BST_CHECKED);
        break;
    default:
        break;
    }
}

void C_App::EnableTextGroup(BOOL enable) {
    for (int id : kTextGroup) {
        EnableWindow(GetDlgItem(m_hDialog, id), enable);
    }
}

C_WString C_App::ReadItemText(int id) const {
    std::vector<wchar_t> buffer(kTextUnits, L'\0');
    GetWindowTextW(GetDlgItem(m_hDialog, id), buffer.data(), kTextUnits);
    return C_WString(buffer.data());
}

int C_App::Message(wchar_t const* text, wchar_t const* caption, UINT buttons) const {
    return MessageBoxW(m_hDialog, text, caption, buttons | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void C_App::FillProfileList() {
    ktora::C_Find find;
    if (!find.SetVtlDir(C_WString(L"list"))) {
        return;
    }
    if (!find.Start(C_WString(L"*.txt"), 1)) {
        return;
    }
    for (ktora::tag_FindInfo* info = find.GetFindInfoFirst(); info != nullptr;
         info = find.GetFindInfoNext()) {
        SendDlgItemMessageW(m_hDialog, IDC_PROFILES, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(info->name.GetString()));
    }
    SendDlgItemMessageW(m_hDialog, IDC_PROFILES, CB_SETCURSEL, 0, 0);
}

void C_App::SelectRule(int id, int index) {
    // An index past the list leaves no selection. Windows clears the selection itself when
    // CB_SETCURSEL fails; Wine keeps the old one, so it is cleared explicitly.
    LRESULT count = SendDlgItemMessageW(m_hDialog, id, CB_GETCOUNT, 0, 0);
    WPARAM select = index < 0 ? 0 : (index < count ? static_cast<WPARAM>(index) : WPARAM(-1));
    SendDlgItemMessageW(m_hDialog, id, CB_SETCURSEL, select, 0);
}

void C_App::LoadProfile() {
    LRESULT index = SendDlgItemMessageW(m_hDialog, IDC_PROFILES, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return;
    }
    LRESULT length = SendDlgItemMessageW(m_hDialog, IDC_PROFILES, CB_GETLBTEXTLEN,
                                         static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return;
    }
    std::vector<wchar_t> item(static_cast<size_t>(length) + 1, L'\0');
    SendDlgItemMessageW(m_hDialog, IDC_PROFILES, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(item.data()));
    C_WString path(L"list\\");
    path += item.data();
    ProfileValues v;
    if (!ReadProfile(path, &v)) {
        return; // cannot be opened: nothing changes
    }
    struct TextKey {
        ktora::C_WString const& value;
        int id;
    };
    const TextKey texts[] = {{v.txt_cat1, IDC_TXT_CAT1}, {v.txt_cat2, IDC_TXT_CAT2},
                             {v.txt_cat3, IDC_TXT_CAT3}, {v.txt_front, IDC_TXT_FRONT},
                             {v.dir_cat1, IDC_DIR_CAT1}, {v.dir_cat2, IDC_DIR_CAT2}};
    for (TextKey const& t : texts) {
        if (!t.value.Empty()) {
            SetDlgItemTextW(m_hDialog, t.id, t.value.GetString());
        }
    }
    SelectRule(IDC_DIR_RULE, v.dir_rule);
    SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_SETCURSEL, static_cast<WPARAM>(v.dir_type), 0);
    SelectRule(IDC_TXT_RULE, v.txt_rule);
    CheckDlgButton(m_hDialog, IDC_TXT_ENABLE, v.txt_enable ? BST_CHECKED : BST_UNCHECKED);
    EnableTextGroup(v.txt_enable ? TRUE : FALSE);
    if (v.make_count > 0) {
        SetDlgItemInt(m_hDialog, IDC_COUNT, static_cast<UINT>(v.make_count), FALSE);
    }
}

void C_App::WaitForWorker(DWORD milliseconds) {
    // The worker sends messages to this thread (the button caption, its message box): serve
    // them while waiting, or both threads would wait for each other.
    DWORD start = GetTickCount();
    while (m_thread.Join(20) == 3) {
        if (milliseconds != 0 && GetTickCount() - start >= milliseconds) {
            return;
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

void C_App::OnStart() {
    // A worker whose copies are all done is only ending: that is not a run to abort.
    if (m_thread.IsRunning() && m_runActive) {
        if (!Ask(kAskAbort, kTitleConfirm)) {
            return;
        }
        abort_requested = 1;
        WaitForWorker(5000);
        Tell(kTellAborted, kTitleMessage);
        WaitForWorker(5000);
        SetDlgItemTextW(m_hDialog, IDC_START, kCaptionStart);
        return;
    }

    // The settings as the controls hold them; the shared run checks and asks.
    CopySettings settings;
    settings.source = ReadItemText(IDC_SRC);
    settings.destination = ReadItemText(IDC_DEST);
    // Read as GetDlgItemInt reads it on Windows: the whole text must be the number. (Wine's
    // takes the leading digits of "12abc" as 12.)
    settings.count_valid = ParseCountText(ReadItemText(IDC_COUNT), &settings.count);
    settings.counter_kind =
        static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_GETCURSEL, 0, 0));
    settings.dir_rule =
        static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_DIR_RULE, CB_GETCURSEL, 0, 0));
    settings.txt_rule =
        static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_TXT_RULE, CB_GETCURSEL, 0, 0));
    settings.dir_cat1 = ReadItemText(IDC_DIR_CAT1);
    settings.dir_cat2 = ReadItemText(IDC_DIR_CAT2);
    settings.txt_cat1 = ReadItemText(IDC_TXT_CAT1);
    settings.txt_cat2 = ReadItemText(IDC_TXT_CAT2);
    settings.txt_cat3 = ReadItemText(IDC_TXT_CAT3);
    settings.txt_front = ReadItemText(IDC_TXT_FRONT);
    settings.text_output = IsDlgButtonChecked(m_hDialog, IDC_TXT_ENABLE) == BST_CHECKED;

    {
        // The record and the function object are handed over before the thread starts, and
        // this thread lets go of its references first: their counts are never changed by two
        // threads at once.
        Pointer<CopyState> state = PrepareCopyRun(settings, *this);
        if (state.Get() == nullptr) {
            return; // refused (its message told) or answered No
        }
        abort_requested = 0;
        WaitForWorker(0);
        Pointer<ktora::I_Function> function(
            new ktora::C_FunctionTypeMemberA1<C_App, Pointer<CopyState>>(this, &C_App::CopyWorker,
                                                                         state));
        m_thread.SetFunction(function);
    }
    m_runActive = 1;
    if (!m_thread.Start()) {
        m_runActive = 0;
    }
}

int C_App::CopyWorker(Pointer<CopyState> state) {
    RunCopies(*state, abort_requested, *this);
    m_runActive = 0;
    return 0;
}

bool C_App::Ask(wchar_t const* text, wchar_t const* caption) {
    return Message(text, caption, MB_YESNO) == IDYES;
}

void C_App::Tell(wchar_t const* text, wchar_t const* caption) {
    Message(text, caption, MB_OK);
}

void C_App::RunStarted() {
    SetDlgItemTextW(m_hDialog, IDC_START, kCaptionAbort);
}

void C_App::CopyStarting(int /*index*/, int /*count*/, C_WString const& /*target*/) {}

void C_App::RunCompleted() {
    // Over before the completion message: a start pressed after it begins a new run.
    m_runActive = 0;
    SetDlgItemTextW(m_hDialog, IDC_START, kCaptionStart);
}
