#include "Driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

#include "app/resource.h"

namespace e2e {

int g_failures = 0;

std::string Utf8(std::wstring const& text) {
    if (text.empty()) {
        return std::string();
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

void Report(char const* file, int line, std::string const& what) {
    ++g_failures;
    char const* base = strrchr(file, '/');
    std::string message = std::string("FAIL ") + (base ? base + 1 : file) + ":" +
                          std::to_string(line) + ": " + what + "\n";
    // Raw UTF-8 bytes: the C runtime's wide printing stops at the first Japanese character.
    fwrite(message.data(), 1, message.size(), stdout);
    fflush(stdout);
}

bool Exists(std::wstring const& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDir(std::wstring const& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void WaitForChildren(DWORD pid, DWORD ms) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<HANDLE> children;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == pid) {
            HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (h != nullptr) {
                children.push_back(h);
            }
        }
    }
    CloseHandle(snapshot);
    DWORD start = GetTickCount();
    for (HANDLE h : children) {
        DWORD spent = GetTickCount() - start;
        WaitForSingleObject(h, spent < ms ? ms - spent : 0);
        CloseHandle(h);
    }
}

namespace {

// Folders waiting to be listed are kept here, not on the thread's stack: a tree may be as deep
// as paths allow.
void Walk(std::wstring const& root, std::vector<Entry>* out) {
    std::vector<std::wstring> pending{std::wstring()};
    while (!pending.empty()) {
        const std::wstring rel = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        std::wstring dir = rel.empty() ? root : root + L"\\" + rel;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) {
                continue;
            }
            Entry e;
            e.path = rel.empty() ? data.cFileName : rel + L"\\" + data.cFileName;
            e.dir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            e.attributes = data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                    FILE_ATTRIBUTE_READONLY);
            if (e.dir) {
                e.attributes &= ~FILE_ATTRIBUTE_READONLY;
                pending.push_back(e.path);
            } else {
                ReadBytes(root + L"\\" + e.path, &e.content);
            }
            out->push_back(e);
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
}

} // namespace

std::vector<Entry> ListTree(std::wstring const& root) {
    std::vector<Entry> entries;
    Walk(root, &entries);
    std::sort(entries.begin(), entries.end(),
              [](Entry const& a, Entry const& b) { return a.path < b.path; });
    return entries;
}

bool SameTree(std::wstring const& expected, std::wstring const& actual) {
    std::vector<Entry> a = ListTree(expected);
    std::vector<Entry> b = ListTree(actual);
    bool same = true;
    for (Entry const& e : a) {
        auto it =
            std::find_if(b.begin(), b.end(), [&](Entry const& x) { return x.path == e.path; });
        if (it == b.end()) {
            Report(__FILE__, __LINE__, "missing in copy: " + Utf8(actual + L"\\" + e.path));
            same = false;
        } else if (!(*it == e)) {
            Report(__FILE__, __LINE__,
                   "differs in copy: " + Utf8(actual + L"\\" + e.path) + " attributes " +
                       std::to_string(e.attributes) + "/" + std::to_string(it->attributes) +
                       " bytes " + std::to_string(e.content.size()) + "/" +
                       std::to_string(it->content.size()));
            same = false;
        }
    }
    for (Entry const& e : b) {
        if (std::none_of(a.begin(), a.end(), [&](Entry const& x) { return x.path == e.path; })) {
            Report(__FILE__, __LINE__, "extra in copy: " + Utf8(actual + L"\\" + e.path));
            same = false;
        }
    }
    return same;
}

namespace {

struct Search {
    DWORD pid;
    HWND exclude;
    bool wantDialog;
    HWND found;
};

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

} // namespace

// Sent, not GetWindowTextW: that one does not ask a control of another process for its text.
std::wstring TextOf(HWND hwnd) {
    LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) {
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                     reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

namespace {

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM lParam) {
    Search* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || hwnd == s->exclude || !IsWindowVisible(hwnd) ||
        ClassOf(hwnd) != L"#32770") {
        return TRUE;
    }
    if (s->wantDialog && TextOf(hwnd) != L"Kasumido") {
        return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

HWND FindOf(DWORD pid, HWND exclude, bool wantDialog) {
    Search s = {pid, exclude, wantDialog, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

} // namespace

Kasumido::~Kasumido() {
    if (m_process != nullptr) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 99);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
}

bool Kasumido::Start(std::wstring const& exe, std::wstring const& workDir,
                     std::wstring const& arguments) {
    std::wstring command = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        command += L" " + arguments;
    }
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                        &si, &pi)) {
        Report(__FILE__, __LINE__, "cannot start " + Utf8(exe));
        return false;
    }
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    // The dialog can be found before its controls exist: wait for it shown and filled.
    bool ready = WaitUntil(
        [&] {
            m_dialog = FindOf(m_pid, nullptr, true);
            return m_dialog != nullptr && GetDlgItem(m_dialog, IDC_START) != nullptr &&
                   SendMessageW(GetDlgItem(m_dialog, IDC_DIR_RULE), CB_GETCOUNT, 0, 0) == 3;
        },
        60000); // the first program of a fresh prefix takes long to show
    if (!ready) {
        Report(__FILE__, __LINE__, "the dialog did not appear; windows seen:");
        EnumWindows(
            [](HWND hwnd, LPARAM pid) -> BOOL {
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                std::string line = "  pid " + std::to_string(owner) + (owner == pid ? "*" : "") +
                                   " class " + Utf8(ClassOf(hwnd)) + " \"" + Utf8(TextOf(hwnd)) +
                                   "\" visible " + std::to_string(IsWindowVisible(hwnd)) + "\n";
                fwrite(line.data(), 1, line.size(), stdout);
                return TRUE;
            },
            static_cast<LPARAM>(m_pid));
        DWORD code = 0;
        GetExitCodeProcess(m_process, &code);
        printf("  Kasumido pid %lu, exit code %lu\n", m_pid, code);
    }
    return ready;
}

void Kasumido::SetText(int id, std::wstring const& text) {
    SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring Kasumido::Text(int id) const {
    return TextOf(Item(id));
}

void Kasumido::Click(int id) {
    // Posted: the click may open a modal box, and a sent message would wait for it.
    PostMessageW(Item(id), BM_CLICK, 0, 0);
}

void Kasumido::Key(int id, UINT vk) {
    PostMessageW(Item(id), WM_KEYDOWN, vk, 1);
    PostMessageW(Item(id), WM_KEYUP, vk, 0xC0000001);
}

HWND Kasumido::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_dialog, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

int Kasumido::ComboSel(int id) const {
    return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0));
}

int Kasumido::ComboCount(int id) const {
    return static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0));
}

std::wstring Kasumido::ComboItem(int id, int index) const {
    LRESULT n = SendMessageW(Item(id), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0) {
        return L"<none>";
    }
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}

void Kasumido::SelectCombo(int id, int index) {
    SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // As a choice made by hand, the dialog hears of it.
    SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id)));
}

bool Kasumido::Enabled(int id) const {
    return IsWindowEnabled(Item(id)) != FALSE;
}

bool Kasumido::Checked(int id) const {
    return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Kasumido::SetChecked(int id, bool on) {
    if (Checked(id) != on) {
        Click(id);
        WaitUntil([&] { return Checked(id) == on; }, 5000);
    }
}

Box Kasumido::WaitBox(DWORD ms) {
    Box box;
    WaitUntil(
        [&] {
            box.hwnd = FindOf(m_pid, m_dialog, false);
            return box.hwnd != nullptr;
        },
        ms);
    if (box.hwnd != nullptr) {
        // Its text may be set just after it became visible.
        WaitUntil([&] { return GetDlgItem(box.hwnd, 0xFFFF) != nullptr; }, 2000);
        box.caption = TextOf(box.hwnd);
        box.text = TextOf(GetDlgItem(box.hwnd, 0xFFFF));
    }
    return box;
}

bool Kasumido::Expect(std::wstring const& caption, std::wstring const& text, int button, DWORD ms) {
    Box box = WaitBox(ms);
    if (box.hwnd == nullptr) {
        Report(__FILE__, __LINE__, "no message box; expected \"" + Utf8(text) + "\"");
        return false;
    }
    bool ok = box.caption == caption && box.text == text;
    if (!ok) {
        Report(__FILE__, __LINE__,
               "box \"" + Utf8(box.caption) + "\": \"" + Utf8(box.text) + "\"; expected \"" +
                   Utf8(caption) + "\": \"" + Utf8(text) + "\"");
    }
    Press(box, button);
    return ok;
}

bool Kasumido::NoBox(DWORD ms) {
    Box box = WaitBox(ms);
    if (box.hwnd != nullptr) {
        Report(__FILE__, __LINE__,
               "unexpected box \"" + Utf8(box.caption) + "\": \"" + Utf8(box.text) + "\"");
        Press(box, IDOK);
        return false;
    }
    return true;
}

void Kasumido::Press(Box const& box, int button) {
    HWND hwnd = box.hwnd;
    HWND item = GetDlgItem(hwnd, button);
    if (item != nullptr) {
        PostMessageW(item, BM_CLICK, 0, 0);
    } else {
        PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(button), 0);
    }
    if (!WaitUntil([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, 10000)) {
        Report(__FILE__, __LINE__, "the box did not close");
    }
}

bool Kasumido::WaitText(int id, std::wstring const& text, DWORD ms) {
    return WaitUntil([&] { return Text(id) == text; }, ms);
}

bool Kasumido::WaitExit(DWORD ms, DWORD* code) {
    if (m_process == nullptr || WaitForSingleObject(m_process, ms) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(m_process, code);
    return true;
}

bool Kasumido::Close(DWORD ms) {
    PostMessageW(m_dialog, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    if (!WaitExit(ms, &code)) {
        Report(__FILE__, __LINE__, "the program did not end after closing its window");
        return false;
    }
    if (code != 0) {
        Report(__FILE__, __LINE__, "exit code " + std::to_string(code));
    }
    return code == 0;
}

void Fill(Kasumido& k, Run const& run) {
    k.SetText(IDC_SRC, run.src);
    k.SetText(IDC_DEST, run.dest);
    k.SetText(IDC_COUNT, run.count);
    k.SelectCombo(IDC_DIR_TYPE, run.kind);
    k.SelectCombo(IDC_DIR_RULE, run.dirRule);
    k.SelectCombo(IDC_TXT_RULE, run.txtRule);
    k.SetText(IDC_DIR_CAT1, run.dirCat1);
    k.SetText(IDC_DIR_CAT2, run.dirCat2);
    k.SetText(IDC_TXT_CAT1, run.txtCat1);
    k.SetText(IDC_TXT_CAT2, run.txtCat2);
    k.SetText(IDC_TXT_CAT3, run.txtCat3);
    k.SetText(IDC_TXT_FRONT, run.txtFront);
    k.SetChecked(IDC_TXT_ENABLE, run.text);
}

bool RunToCompletion(Kasumido& k, DWORD ms) {
    k.Click(IDC_START);
    if (!k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES)) {
        return false;
    }
    if (!k.Expect(L"メッセージ", L"コピーが終了しました。", IDOK, ms)) {
        return false;
    }
    bool reset = k.WaitText(IDC_START, L"生成開始", 5000);
    CHECK(reset);
    return reset;
}

} // namespace e2e
