#pragma once
// Drives a running Kasumido.exe from outside, as a user would: finds its dialog, types into
// the controls, presses buttons and keys, answers message boxes; plus the disk helpers the
// scenarios check with. Every wait is bounded.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/sjis.h"
#include "tests/support/temp_dir.h"

namespace e2e {

extern int g_failures;

void Report(char const* file, int line, std::string const& what);
std::string Utf8(std::wstring const& text);
std::wstring TextOf(HWND hwnd);

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            e2e::Report(__FILE__, __LINE__, #cond);                                                \
        }                                                                                          \
    } while (0)
#define CHECK_EQ_W(expected, actual)                                                               \
    do {                                                                                           \
        std::wstring e_ = (expected), a_ = (actual);                                               \
        if (e_ != a_) {                                                                            \
            e2e::Report(__FILE__, __LINE__,                                                        \
                        "expected \"" + e2e::Utf8(e_) + "\" got \"" + e2e::Utf8(a_) + "\"");       \
        }                                                                                          \
    } while (0)
#define CHECK_EQ_I(expected, actual)                                                               \
    do {                                                                                           \
        long long e_ = (expected), a_ = (actual);                                                  \
        if (e_ != a_) {                                                                            \
            e2e::Report(__FILE__, __LINE__,                                                        \
                        #actual ": expected " + std::to_string(e_) + " got " +                     \
                            std::to_string(a_));                                                   \
        }                                                                                          \
    } while (0)

// The shared test toolkit: raw file bytes, Shift_JIS text, scratch folders.
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

// A scratch folder under %TEMP% named for one scenario, removed with everything in it.
class TempDir : public testsupport::TempDir {
public:
    explicit TempDir(std::wstring const& tag) : testsupport::TempDir(L"kasumido_e2e_" + tag) {}
};

bool Exists(std::wstring const& path);
bool IsDir(std::wstring const& path);
// Waits until pred() holds or ms pass.
template <class Pred> bool WaitUntil(Pred pred, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) {
            return true;
        }
        if (GetTickCount() - start >= ms) {
            return false;
        }
        Sleep(25);
    }
}

// Waits (bounded) for every child process that pid started to end.
void WaitForChildren(DWORD pid, DWORD ms);

// One entry of a folder tree, relative to its root.
struct Entry {
    std::wstring path;
    bool dir;
    DWORD attributes; // hidden/system/read-only bits
    std::string content;
    bool operator==(Entry const& o) const {
        return path == o.path && dir == o.dir && attributes == o.attributes && content == o.content;
    }
};
std::vector<Entry> ListTree(std::wstring const& root);
// Compares two trees; reports each difference and returns whether they are equal.
bool SameTree(std::wstring const& expected, std::wstring const& actual);

struct Box {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
};

class Kasumido {
public:
    Kasumido() = default;
    ~Kasumido();
    Kasumido(Kasumido const&) = delete;
    Kasumido& operator=(Kasumido const&) = delete;

    // Starts the program in workDir (arguments appended to its command line as they stand)
    // and waits for its dialog with its controls.
    bool Start(std::wstring const& exe, std::wstring const& workDir,
               std::wstring const& arguments = std::wstring());
    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }

    void SetText(int id, std::wstring const& text);
    std::wstring Text(int id) const;
    void Click(int id);
    void Key(int id, UINT vk);
    // The control that has the keyboard focus in the program's dialog thread, or null.
    HWND Focus() const;
    int ComboSel(int id) const;
    int ComboCount(int id) const;
    std::wstring ComboItem(int id, int index) const;
    void SelectCombo(int id, int index);
    bool Enabled(int id) const;
    bool Checked(int id) const;
    void SetChecked(int id, bool on);

    // A message box (or any other window of the program but the dialog) that shows up
    // within ms; hwnd null when none did.
    Box WaitBox(DWORD ms = 15000);
    // Waits for a box, checks caption and text, presses the button.
    bool Expect(std::wstring const& caption, std::wstring const& text, int button,
                DWORD ms = 15000);
    // True when no box shows up within ms.
    bool NoBox(DWORD ms);
    void Press(Box const& box, int button);
    bool WaitText(int id, std::wstring const& text, DWORD ms);

    // Closes the dialog; true when the process ended within ms with exit code 0.
    bool Close(DWORD ms = 15000);
    bool WaitExit(DWORD ms, DWORD* code);
    DWORD Pid() const { return m_pid; }

private:
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_dialog = nullptr;
};

// Copies run in the dialog: the settings of one run.
struct Run {
    std::wstring src, dest, count = L"3";
    int kind = 0, dirRule = 0, txtRule = 0;
    std::wstring dirCat1, dirCat2, txtCat1, txtCat2, txtCat3, txtFront;
    bool text = false;
};
void Fill(Kasumido& k, Run const& run);
// Starts the filled run, confirms it and waits for the completion message.
bool RunToCompletion(Kasumido& k, DWORD ms = 120000);

} // namespace e2e
