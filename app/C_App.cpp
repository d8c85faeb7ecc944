#include "app/C_App.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "app/CopyPlan.h"
#include "app/NameList.h"
#include "app/NamingRules.h"
#include "app/CopyMessages.h"
#include "app/CopyRun.h"
#include "app/Profile.h"
#include "app/StartFolder.h"
#include "app/resource.h"
#include "ktora/file/C_Find.h"
#include "ktora/thread/C_FunctionTypeMemberA1.h"
#include "ktora/window/ktora_desktop.h"

using ktora::C_WString;
using ktora::common::Pointer;

namespace {

const wchar_t kCaptionStart[] = L"生成開始";
const wchar_t kCaptionAbort[] = L"中止";
const wchar_t kCaptionStopping[] = L"中止中…";
const wchar_t kTitle[] = L"Kasumido";
// A new run's thread object may still hold the thread of the run before, which has posted its
// end and has only its last instructions left.
const DWORD kReapMilliseconds = 2000;
// At the end of the program a worker still stopping gets this long (it closes its copiers
// within a second); its copiers end with the process in any case.
const DWORD kTeardownMilliseconds = 3000;
// The exit code of copiers ended at log-off.
const UINT kEndedCode = 0xFFFFFFFFU;

// Sent by the worker (synchronously, so it is carried out on the dialog's thread): a copy
// starts (wParam 0) or ended (wParam 1 made, 2 failed), or the bytes moved on (wParam 3);
// lParam points to its CopyProgress.
const UINT kMsgProgress = WM_APP + 1;
// Posted by the worker as its last act: lParam is a RunEnd the dialog takes over.
const UINT kMsgRunEnded = WM_APP + 2;

// The controls that follow the text-output check box, in the order they are switched.
const int kTextGroup[] = {IDC_TXT_CAT1_LABEL, IDC_TXT_CAT2_LABEL,  IDC_TXT_CAT3_LABEL,
                          IDC_TXT_RULE_LABEL, IDC_TXT_FRONT_LABEL, IDC_TXT_CAT1,
                          IDC_TXT_CAT2,       IDC_TXT_CAT3,        IDC_TXT_RULE,
                          IDC_TXT_FRONT};

// The edits behind each joining text.
struct TextControl {
    C_WString JoiningTexts::*text;
    int id;
};
const TextControl kTextControls[] = {
    {&JoiningTexts::txt_cat1, IDC_TXT_CAT1}, {&JoiningTexts::txt_cat2, IDC_TXT_CAT2},
    {&JoiningTexts::txt_cat3, IDC_TXT_CAT3}, {&JoiningTexts::txt_front, IDC_TXT_FRONT},
    {&JoiningTexts::dir_cat1, IDC_DIR_CAT1}, {&JoiningTexts::dir_cat2, IDC_DIR_CAT2}};

// "残り約 3 分": seconds under a minute, minutes under an hour, else hours and minutes.
C_WString TimeLeft(long long milliseconds) {
    long long seconds = (milliseconds + 999) / 1000;
    if (seconds < 60) {
        return C_WString::Stringf(L"残り約 %d 秒", static_cast<int>(seconds));
    }
    long long minutes = (seconds + 59) / 60;
    if (minutes < 60) {
        return C_WString::Stringf(L"残り約 %d 分", static_cast<int>(minutes));
    }
    return C_WString::Stringf(L"残り約 %d 時間 %d 分", static_cast<int>(minutes / 60),
                              static_cast<int>(minutes % 60));
}

std::wstring ReadWindowText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

// Profiles come from list\ below the current folder. Started where there is none (from
// Explorer's folder menu, which cannot choose the working folder), from list\ beside the program.
C_WString FindProfileFolder() {
    ktora::C_Find find;
    if (find.SetVtlDir(C_WString(L"list"))) {
        return C_WString(L"list");
    }
    std::vector<wchar_t> module(MAX_PATH, L'\0');
    for (;;) {
        DWORD length =
            GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length == 0) {
            return C_WString(L"list");
        }
        if (length < module.size()) {
            break;
        }
        module.resize(module.size() * 2, L'\0');
    }
    std::wstring folder(module.data());
    folder.erase(folder.find_last_of(L'\\') + 1);
    folder += L"list";
    return C_WString(folder.c_str());
}

// The worker's front: progress goes to the dialog as synchronous messages, the completion
// message is kept for the dialog to show once the end is posted.
class WorkerFront : public I_CopyFront {
public:
    explicit WorkerFront(HWND dialog) : m_hDialog(dialog) {}
    bool Ask(wchar_t const* /*text*/, wchar_t const* /*caption*/, bool /*defaultNo*/) override {
        return false;
    }
    void Tell(wchar_t const* text, wchar_t const* /*caption*/) override { m_told = text; }
    void RunStarted() override {}
    void CopyStarting(CopyProgress const& progress) override {
        SendMessageW(m_hDialog, kMsgProgress, 0, reinterpret_cast<LPARAM>(&progress));
    }
    void CopyFinished(CopyProgress const& progress, bool made) override {
        SendMessageW(m_hDialog, kMsgProgress, made ? 1 : 2, reinterpret_cast<LPARAM>(&progress));
    }
    void BytesCopied(CopyProgress const& progress) override {
        SendMessageW(m_hDialog, kMsgProgress, 3, reinterpret_cast<LPARAM>(&progress));
    }
    void RunCompleted() override {}
    C_WString const& Told() const { return m_told; }

private:
    HWND m_hDialog;
    C_WString m_told;
};

// Closes every message box of the dialog's thread (they return 0).
BOOL CALLBACK EndBox(HWND hwnd, LPARAM dialog) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (hwnd != reinterpret_cast<HWND>(dialog) && wcscmp(name, L"#32770") == 0) {
        EndDialog(hwnd, 0);
    }
    return TRUE;
}

} // namespace

struct RunEnd {
    RunOutcome outcome = RunOutcome::kAborted;
    C_WString message; // the completion message, when the run completed
};

void ComRelease::operator()(IUnknown* object) const {
    if (object != nullptr) {
        object->Release();
    }
}

C_App::C_App(HINSTANCE const& instance, HINSTANCE const& prevInstance, wchar_t* const& cmdLine,
             int const& cmdShow)
    : m_hDialog(nullptr), m_bComReady(false), m_bRunFailed(false), m_bClosing(false) {
    Register(instance, prevInstance, cmdLine, cmdShow);
}

C_App::~C_App() {
    // The dialog is gone; a run that is still stopping closes its copiers within a second.
    if (!m_pRun.IsNull()) {
        m_pRun->abort = 1;
    }
    if (m_thread.Join(kTeardownMilliseconds) == ktora::C_ThreadEx::kJoinTimeout) {
        // A worker held up in the file system: the process must end all the same (its copiers
        // end with it, through the job); waiting on would leave it behind, windowless.
        ExitProcess(0);
    }
    m_pTaskbar.reset();
    if (m_bComReady) {
        CoUninitialize();
    }
}

HWND C_App::GetHWnd() const {
    return m_hDialog;
}

int C_App::Initialize() {
    // Folder completion and the taskbar button are shell objects of this thread.
    m_bComReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
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
    SetDlgItemInt(m_hDialog, IDC_DIR_START, kFirstNumberDefault, FALSE);
    SetDlgItemInt(m_hDialog, IDC_DIR_WIDTH, 0, FALSE);

    // Folders dropped from Explorer, and folder names completed while typing.
    DragAcceptFiles(m_hDialog, TRUE);
    if (m_bComReady) {
        SHAutoComplete(GetDlgItem(m_hDialog, IDC_SRC), SHACF_FILESYS_DIRS);
        SHAutoComplete(GetDlgItem(m_hDialog, IDC_DEST), SHACF_FILESYS_DIRS);
        ITaskbarList3* taskbar = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ITaskbarList3, reinterpret_cast<void**>(&taskbar))) &&
            taskbar != nullptr) {
            m_pTaskbar.reset(taskbar);
            if (FAILED(taskbar->HrInit())) {
                m_pTaskbar.reset();
            }
        }
    }

    ApplyReadingOrder();
    // A folder on the command line (Explorer's folder menu) is the source. The destination
    // stays the user's: the source's own parent would make the container the source itself.
    C_WString startFolder;
    bool startedWithFolder = StartFolderFromCommandLine(GetCmdLine(), &startFolder);
    if (startedWithFolder) {
        SetDlgItemTextW(m_hDialog, IDC_SRC, startFolder.GetString());
    }

    RECT client = {};
    GetClientRect(m_hDialog, &client);
    SIZE pos = ktora::GetWindowCenter(client.right - client.left, client.bottom - client.top);
    SetWindowPos(m_hDialog, nullptr, pos.cx, pos.cy, 0, 0, SWP_NOSIZE);
    ShowWindow(m_hDialog, SW_SHOW);
    // Through the dialog manager, so that the default button follows the focus.
    SendMessageW(
        m_hDialog, WM_NEXTDLGCTL,
        reinterpret_cast<WPARAM>(GetDlgItem(m_hDialog, startedWithFolder ? IDC_DEST : IDC_SRC)),
        TRUE);
    UpdatePreview();
    return 1;
}

void C_App::ApplyReadingOrder() {
    // The template's controls as created, so that a label without an ID is found by its text.
    std::vector<HWND> created;
    for (HWND child = GetWindow(m_hDialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        created.push_back(child);
    }
    HWND previous = HWND_TOP;
    for (OrderedControl const& row : kReadingOrder) {
        HWND control = nullptr;
        if (row.id != -1) {
            control = GetDlgItem(m_hDialog, row.id);
        } else {
            for (HWND child : created) {
                if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF && ReadWindowText(child) == row.text) {
                    control = child;
                    break;
                }
            }
        }
        if (control == nullptr) {
            continue; // a row whose control this template does not have
        }
        SetWindowPos(control, previous, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        previous = control;
    }
}

LRESULT C_App::WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) {
    switch (message) {
    case WM_INITDIALOG:
        m_hDialog = hwnd;
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        break;
    case kMsgProgress:
        if (hwnd == m_hDialog) {
            OnProgress(*reinterpret_cast<CopyProgress const*>(lParam), wParam == 1 || wParam == 2);
        }
        break;
    case kMsgRunEnded:
        OnWorkerEnded(lParam);
        break;
    case WM_CLOSE:
        Close(false);
        break;
    case WM_QUERYENDSESSION:
        // Shutdown is never held up: a run is stopped when the session really ends.
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            Close(true);
        }
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

void C_App::OnCommand(int id, int code) {
    if (code == EN_CHANGE || code == CBN_SELCHANGE) {
        // A names file chosen, typed or loaded, or the list kind chosen: the count is the list's.
        if ((id == IDC_NAME_LIST && code == EN_CHANGE) ||
            (id == IDC_DIR_TYPE && code == CBN_SELCHANGE)) {
            FillCountFromList();
        }
        UpdatePreview();
        return;
    }
    switch (id) {
    case IDC_START:
        OnStart();
        break;
    case IDC_LOAD:
        LoadProfile();
        break;
    case IDC_BROWSE_SRC:
    case IDC_BROWSE_DEST: {
        // Owned by the dialog, which waits while it is open. Cancelled, or a place without a
        // folder path: the edit keeps what it had.
        C_WString path;
        if (ktora::BrowsFolder(&path, nullptr, m_hDialog)) {
            SetDlgItemTextW(m_hDialog, id == IDC_BROWSE_SRC ? IDC_SRC : IDC_DEST, path.GetString());
        }
        break;
    }
    case IDC_BROWSE_NAME_LIST:
        BrowseNameList();
        break;
    case IDC_TXT_ENABLE:
        EnableTextGroup(IsDlgButtonChecked(m_hDialog, IDC_TXT_ENABLE) == BST_CHECKED);
        UpdatePreview();
        break;
    case IDC_TREE_ONLY:
        UpdatePreview();
        break;
    default:
        break;
    }
}

void C_App::OnDropFiles(HDROP drop) {
    // The edit under the drop point takes the first folder; a file alone gives a beep.
    POINT at = {};
    DragQueryPoint(drop, &at);
    int target = 0;
    for (int id : {IDC_SRC, IDC_DEST, IDC_NAME_LIST}) {
        RECT r = {};
        HWND edit = GetDlgItem(m_hDialog, id);
        GetWindowRect(edit, &r);
        MapWindowPoints(nullptr, m_hDialog, reinterpret_cast<POINT*>(&r), 2);
        if (PtInRect(&r, at)) {
            target = id;
        }
    }
    C_WString folder;
    const UINT kCountQuery = 0xFFFFFFFF; // asks DragQueryFileW for the number of items
    UINT count = DragQueryFileW(drop, kCountQuery, nullptr, 0);
    for (UINT i = 0; i < count && target != 0 && folder.Empty(); ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> name(length + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        DWORD attributes = GetFileAttributesW(name.data());
        // The names edit takes a file, the folder edits a folder.
        const bool wantFolder = target != IDC_NAME_LIST;
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == wantFolder) {
            folder = name.data();
        }
    }
    DragFinish(drop);
    if (folder.Empty()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    if (target == IDC_NAME_LIST) {
        SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_SETCURSEL, kCounterKindList, 0);
    }
    SetDlgItemTextW(m_hDialog, target, folder.GetString());
}

void C_App::BrowseNameList() {
    // Owned by the dialog, which waits while it is open. The current folder stays where it is:
    // profiles and relative paths are taken from it.
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring typed = ReadItemText(IDC_NAME_LIST).GetString();
    if (typed.size() < file.size()) {
        std::copy(typed.begin(), typed.end(), file.begin());
    }
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hDialog;
    ofn.lpstrFilter = L"テキスト (*.txt)\0*.txt\0すべてのファイル (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = L"名前リスト";
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // Loaded when first asked for, from the system folder: the common dialogs would otherwise
    // load their controls at start-up, before anything needs them.
    HMODULE dialogs = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    using OpenFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    FARPROC found = dialogs != nullptr ? GetProcAddress(dialogs, "GetOpenFileNameW") : nullptr;
    OpenFunction open = nullptr;
    static_assert(sizeof found == sizeof open, "function pointers");
    std::memcpy(&open, &found, sizeof open);
    if (open == nullptr || !open(&ofn)) {
        return; // cancelled: the edit keeps what it had (the library stays for the next time)
    }
    SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_SETCURSEL, kCounterKindList, 0);
    SetDlgItemTextW(m_hDialog, IDC_NAME_LIST, file.data());
}

void C_App::FillCountFromList() {
    if (SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_GETCURSEL, 0, 0) != kCounterKindList) {
        return;
    }
    m_nameList = NameList::Load(ReadItemText(IDC_NAME_LIST), m_nameList);
    // A list with a fault still has its count; one that cannot be read leaves the edit alone.
    if (m_nameList->Error() != NameListError::kUnreadable &&
        m_nameList->Error() != NameListError::kEmpty) {
        int shown = 0;
        if (!(ParseCountText(ReadItemText(IDC_COUNT), &shown) && shown == m_nameList->Count())) {
            SetDlgItemInt(m_hDialog, IDC_COUNT, static_cast<UINT>(m_nameList->Count()), FALSE);
        }
    }
}

void C_App::EnableTextGroup(BOOL enable) {
    for (int id : kTextGroup) {
        EnableWindow(GetDlgItem(m_hDialog, id), enable);
    }
}

C_WString C_App::ReadItemText(int id) const {
    // The whole text: a path is refused when too long, never cut.
    HWND item = GetDlgItem(m_hDialog, id);
    int length = GetWindowTextLengthW(item);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    GetWindowTextW(item, buffer.data(), static_cast<int>(buffer.size()));
    return C_WString(buffer.data());
}

int C_App::Message(wchar_t const* text, wchar_t const* caption, UINT buttons) const {
    if (m_bClosing) {
        return 0; // as a box closed with the window
    }
    return MessageBoxW(m_hDialog, text, caption, buttons | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

CopySettings C_App::ReadSettings() const {
    CopySettings s;
    s.source = ReadItemText(IDC_SRC);
    s.destination = ReadItemText(IDC_DEST);
    // Read as GetDlgItemInt reads it on Windows: the whole text must be the number. (Wine's
    // takes the leading digits of "12abc" as 12.)
    s.count_valid = ParseCountText(ReadItemText(IDC_COUNT), &s.count);
    s.start_valid = ParseCountText(ReadItemText(IDC_DIR_START), &s.start);
    s.width_valid = ParseCountText(ReadItemText(IDC_DIR_WIDTH), &s.width);
    s.counter_kind =
        static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_GETCURSEL, 0, 0));
    s.dir_rule = static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_DIR_RULE, CB_GETCURSEL, 0, 0));
    s.txt_rule = static_cast<int>(SendDlgItemMessageW(m_hDialog, IDC_TXT_RULE, CB_GETCURSEL, 0, 0));
    for (TextControl const& t : kTextControls) {
        s.texts.*t.text = ReadItemText(t.id);
    }
    s.text_output = IsDlgButtonChecked(m_hDialog, IDC_TXT_ENABLE) == BST_CHECKED;
    s.tree_only = IsDlgButtonChecked(m_hDialog, IDC_TREE_ONLY) == BST_CHECKED;
    s.copy_builtin = IsDlgButtonChecked(m_hDialog, IDC_COPY_BUILTIN) == BST_CHECKED;
    s.name_list = ReadItemText(IDC_NAME_LIST);
    s.loaded_list = m_nameList;
    return s;
}

void C_App::ShowSettings(CopySettings const& s) {
    SetDlgItemTextW(m_hDialog, IDC_SRC, s.source.GetString());
    SetDlgItemTextW(m_hDialog, IDC_DEST, s.destination.GetString());
    for (TextControl const& t : kTextControls) {
        C_WString const& value = s.texts.*t.text;
        if (value != ReadItemText(t.id)) {
            SetDlgItemTextW(m_hDialog, t.id, value.GetString());
        }
    }
    SelectRule(IDC_DIR_RULE, s.dir_rule);
    SendDlgItemMessageW(m_hDialog, IDC_DIR_TYPE, CB_SETCURSEL, static_cast<WPARAM>(s.counter_kind),
                        0);
    SelectRule(IDC_TXT_RULE, s.txt_rule);
    CheckDlgButton(m_hDialog, IDC_TXT_ENABLE, s.text_output ? BST_CHECKED : BST_UNCHECKED);
    EnableTextGroup(s.text_output ? TRUE : FALSE);
    CheckDlgButton(m_hDialog, IDC_TREE_ONLY, s.tree_only ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hDialog, IDC_COPY_BUILTIN, s.copy_builtin ? BST_CHECKED : BST_UNCHECKED);
    if (s.name_list != ReadItemText(IDC_NAME_LIST)) {
        SetDlgItemTextW(m_hDialog, IDC_NAME_LIST, s.name_list.GetString());
    }
    // A value that is no number stays as it was typed: the run refuses it with its message.
    struct NumberControl {
        bool valid;
        int value;
        int id;
    };
    for (NumberControl const& n : {NumberControl{s.count_valid, s.count, IDC_COUNT},
                                   NumberControl{s.start_valid, s.start, IDC_DIR_START},
                                   NumberControl{s.width_valid, s.width, IDC_DIR_WIDTH}}) {
        int shown = 0;
        if (n.valid && !(ParseCountText(ReadItemText(n.id), &shown) && shown == n.value)) {
            SetDlgItemInt(m_hDialog, n.id, static_cast<UINT>(n.value), FALSE);
        }
    }
}

void C_App::UpdatePreview() {
    C_RunState::Phase phase = m_runState.GetPhase();
    if (m_hDialog == nullptr || phase == C_RunState::kRunning || phase == C_RunState::kStopping) {
        return; // during a run the band shows where it stands
    }
    CopySettings settings = ReadSettings();
    C_WString names;
    C_WString line;
    if (!settings.source.Empty()) {
        CopyPlan plan = MakeCopyPlan(settings, PlanDepth::kPreview);
        if (plan.name_list) {
            m_nameList = plan.name_list;
        }
        if (plan.IsRefused()) {
            names = RefusalMessage(plan);
        } else {
            names = plan.FolderName(0);
            if (plan.count > 1) {
                names += L" … ";
                names += plan.FolderName(plan.count - 1);
            }
            if (plan.text_output) {
                line = plan.TextLine(0);
            }
        }
    }
    SetDlgItemTextW(m_hDialog, IDC_PREVIEW_NAMES, names.GetString());
    SetDlgItemTextW(m_hDialog, IDC_PREVIEW_LINE, line.GetString());
}

void C_App::FillProfileList() {
    m_profileFolder = FindProfileFolder();
    ktora::C_Find find;
    if (!find.SetVtlDir(m_profileFolder)) {
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
    // An index past the list (or -1) leaves no selection. Windows clears the selection itself when
    // CB_SETCURSEL fails; Wine keeps the old one, so it is cleared explicitly.
    LRESULT count = SendDlgItemMessageW(m_hDialog, id, CB_GETCOUNT, 0, 0);
    WPARAM select = index >= 0 && index < count ? static_cast<WPARAM>(index) : WPARAM(-1);
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
    C_WString path = m_profileFolder;
    path += L"\\";
    path += item.data();
    ProfileValues values;
    if (!ReadProfile(path, &values)) {
        return; // cannot be opened: nothing changes
    }
    CopySettings settings = ReadSettings();
    ApplyProfile(values, &settings);
    ShowSettings(settings);
    // After the profile's count: a names file's count wins.
    if (settings.count_from_list) {
        FillCountFromList();
    }
    UpdatePreview();
}

void C_App::OnStart() {
    switch (m_runState.Pressed()) {
    case C_RunState::kAskRun:
        StartRun();
        break;
    case C_RunState::kAskAbort:
        AskAbort();
        break;
    case C_RunState::kIgnore:
        break;
    }
}

void C_App::StartRun() {
    CopySettings settings = ReadSettings();
    CopyPlan plan = MakeCopyPlan(settings);
    if (plan.name_list) {
        m_nameList = plan.name_list; // read once: the preview takes it again while unchanged
    }
    // The built-in copier with its default writers (the processor's cores).
    Pointer<CopyState> state = PrepareCopyRun(plan, *this, 0, settings.copy_builtin);
    if (state.IsNull()) {
        m_runState.NoRun(); // refused (its message told), answered No, or the window closed
        return;
    }
    // The thread of the run before has posted its end already (the state was idle).
    bool started = m_thread.Join(kReapMilliseconds) != ktora::C_ThreadEx::kJoinTimeout;
    if (started) {
        Pointer<ktora::I_Function> function(
            new ktora::C_FunctionTypeMemberA1<C_App, Pointer<CopyState>>(this, &C_App::CopyWorker,
                                                                         state));
        started = m_thread.SetFunction(function) && m_thread.Start();
    }
    if (!started) {
        m_thread.SetFunction(Pointer<ktora::I_Function>()); // lets go of the record
        m_runState.NoRun();
        // What the questions left behind stays: say so.
        C_WString text = C_WString::Stringf(kTellCannotStart, state->dest_dir.GetString());
        if (state->out_info.IsOpen()) {
            text += L"\n";
            text += kTellSummaryEmptied;
        }
        state.Release();
        Tell(text.GetString(), kTitleMessage);
        return;
    }
    m_pRun = state;
    m_bRunFailed = false;
    m_runState.RunStarted();
    SetDlgItemTextW(m_hDialog, IDC_START, kCaptionAbort);
}

void C_App::AskAbort() {
    bool yes = Ask(kAskAbort, kTitleConfirm, false);
    switch (m_runState.AbortAnswered(yes)) {
    case C_RunState::kStop:
        StopRun(false);
        break;
    case C_RunState::kShowEnd:
        ShowEnd();
        break;
    case C_RunState::kGoOn:
        break;
    }
}

void C_App::StopRun(bool now) {
    if (!m_pRun.IsNull()) {
        m_pRun->abort = 1;
        if (now) {
            m_pRun->copiers.Terminate(kEndedCode);
        }
    }
    SetDlgItemTextW(m_hDialog, IDC_START, kCaptionStopping);
    EnableWindow(GetDlgItem(m_hDialog, IDC_START), FALSE);
}

void C_App::OnWorkerEnded(LPARAM end) {
    std::unique_ptr<RunEnd> taken(reinterpret_cast<RunEnd*>(end));
    if (taken == nullptr) {
        return;
    }
    m_pEnd = std::move(taken);
    if (m_runState.WorkerEnded()) {
        ShowEnd();
    }
}

void C_App::ShowEnd() {
    std::unique_ptr<RunEnd> end = std::move(m_pEnd);
    m_pRun.Release();
    SetDlgItemTextW(m_hDialog, IDC_START, kCaptionStart);
    EnableWindow(GetDlgItem(m_hDialog, IDC_START), TRUE);
    EndProgress();
    // One message for what happened: the completion (every copy was handled before any abort
    // was seen), or the abort.
    if (end != nullptr && end->outcome != RunOutcome::kAborted) {
        Tell(end->message.GetString(), kTitleMessage);
    } else {
        Tell(kTellAborted, kTitleMessage);
    }
    m_runState.Told();
}

void C_App::Close(bool sessionEnds) {
    m_bClosing = true;
    if (m_runState.StopForExit() || sessionEnds) {
        // At log-off there is no time to let the copiers close: they are ended now.
        StopRun(sessionEnds);
    }
    // The boxes first: each returns, and the code that opened it finds the window closing.
    EnumThreadWindows(GetCurrentThreadId(), &EndBox, reinterpret_cast<LPARAM>(m_hDialog));
    DestroyWindow(m_hDialog);
}

int C_App::CopyWorker(Pointer<CopyState> state) {
    WorkerFront front(m_hDialog);
    std::unique_ptr<RunEnd> end(new RunEnd());
    end->outcome = RunCopies(*state, state->abort, front);
    end->message = front.Told();
    // The last word: the dialog takes over from here. A window already gone takes nothing.
    if (PostMessageW(m_hDialog, kMsgRunEnded, 0, reinterpret_cast<LPARAM>(end.get()))) {
        end.release();
    }
    return 0;
}

bool C_App::Ask(wchar_t const* text, wchar_t const* caption, bool defaultNo) {
    return Message(text, caption, MB_YESNO | (defaultNo ? MB_DEFBUTTON2 : 0)) == IDYES;
}

void C_App::Tell(wchar_t const* text, wchar_t const* caption) {
    Message(text, caption, MB_OK);
}

void C_App::OnProgress(CopyProgress const& p, bool finished) {
    if (m_runState.GetPhase() != C_RunState::kRunning) {
        return; // a stopping run's last word
    }
    if (finished) {
        m_bRunFailed = m_bRunFailed || p.failed > 0;
    }
    // The built-in copier hands several copies over at once: it counts the finished ones.
    int shown = finished || p.builtin ? p.done : p.index + 1;
    C_WString title = C_WString::Stringf(L"%d/%d - ", shown, p.count);
    title += kTitle;
    SetWindowTextW(m_hDialog, title.GetString());
    C_WString band = C_WString::Stringf(L"%d/%d コピー中", shown, p.count);
    if (p.remaining_ms >= 0) {
        band += L"\u3000";
        band += TimeLeft(p.remaining_ms);
    }
    SetDlgItemTextW(m_hDialog, IDC_PREVIEW_NAMES, band.GetString());
    SetDlgItemTextW(m_hDialog, IDC_PREVIEW_LINE, L"");
    if (m_pTaskbar) {
        m_pTaskbar->SetProgressState(m_hDialog, m_bRunFailed ? TBPF_ERROR : TBPF_NORMAL);
        if (p.bytes_total > 0) {
            m_pTaskbar->SetProgressValue(m_hDialog, p.bytes_done, p.bytes_total);
        } else {
            m_pTaskbar->SetProgressValue(m_hDialog, static_cast<ULONGLONG>(p.done),
                                         static_cast<ULONGLONG>(p.count));
        }
    }
}

void C_App::EndProgress() {
    SetWindowTextW(m_hDialog, kTitle);
    if (m_pTaskbar) {
        m_pTaskbar->SetProgressState(m_hDialog, TBPF_NOPROGRESS);
    }
    UpdatePreview();
}
