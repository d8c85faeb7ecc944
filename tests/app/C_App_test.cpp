// The dialog in this process: what only a message with real handles can show.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/C_App.h"
#include "app/StartFolder.h"
#include "app/batch_runner.h"
#include "app/resource.h"

namespace {

// A real drop handle, as Explorer hands one over: DROPFILES, then the wide names, each ended
// by a zero, and one more zero; dropped at point (dialog client coordinates).
HDROP MakeDrop(std::vector<std::wstring> const& names, POINT point) {
    std::wstring list;
    for (std::wstring const& name : names) {
        list += name;
        list += L'\0';
    }
    list += L'\0';
    size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
           list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

} // namespace

TEST(Dialog, AFolderDroppedOnAPathEditFillsIt) {
    batch_test::TempDir dir;
    std::wstring folder = dir / L"写真";
    std::wstring other = dir / L"other";
    std::wstring file = dir / L"file.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(other.c_str(), nullptr);
    batch_test::WriteBytes(file, "x");

    wchar_t commandLine[] = L"";
    C_App app(GetModuleHandleW(nullptr), nullptr, commandLine, SW_HIDE);
    ASSERT_TRUE(app.DialogModeLessExec(MAKEINTRESOURCEW(IDD_MAIN)));
    HWND dialog = app.GetHWnd();
    ASSERT_NE(nullptr, dialog);
    auto centreOf = [dialog](int id) {
        RECT r = {};
        GetWindowRect(GetDlgItem(dialog, id), &r);
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(dialog, &p);
        return p;
    };
    struct Case {
        std::vector<std::wstring> names;
        int onto;
        std::wstring src;  // the source edit afterwards
        std::wstring dest; // the destination edit afterwards
    };
    const Case cases[] = {
        {{folder}, IDC_SRC, folder, L""},
        {{file, other, folder}, IDC_DEST, folder, other}, // the first folder of several
        {{file}, IDC_SRC, folder, other},                 // a file alone: nothing (a beep)
        {{folder}, IDC_COUNT, folder, other},             // not on a path edit: nothing
    };
    for (Case const& c : cases) {
        SendMessageW(dialog, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop(c.names, centreOf(c.onto))), 0);
        EXPECT_EQ(c.src, TextOf(dialog, IDC_SRC)) << c.onto;
        EXPECT_EQ(c.dest, TextOf(dialog, IDC_DEST)) << c.onto;
    }
    DestroyWindow(dialog);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(StartFolder, OneFolderArgumentIsTakenAsGiven) {
    struct Case {
        wchar_t const* line;   // after the program's name
        wchar_t const* folder; // nullptr: none taken
    };
    const Case cases[] = {
        {L"\"C:\\My Photos\\2024\"", L"C:\\My Photos\\2024"}, // as Explorer's %V gives it
        {L"C:\\data", L"C:\\data"},
        {L"\"C:\\data\\\"", L"C:\\data\\"},               // typed in cmd: the backslash stays one
        {L"  \"D:\\写真\"\t/x /y ", L"D:\\写真"},         // switches are ignored
        {L"C:\\missing\\folder", L"C:\\missing\\folder"}, // not looked at here
        {L"C:\\\"My Photos\"", L"C:\\My Photos"},         // quotes anywhere are removed
        {L"", nullptr},
        {L"   ", nullptr},
        {L"\"\"", nullptr},
        {L"/s C:\\data", L"C:\\data"},
        {L"C:\\My Photos", nullptr}, // unquoted with a space: two arguments, none taken
        {L"C:\\a C:\\b", nullptr},
        {L"/only /switches", nullptr},
    };
    for (Case const& c : cases) {
        ktora::C_WString folder(L"before");
        bool taken = StartFolderFromCommandLine(c.line, &folder);
        EXPECT_EQ(c.folder != nullptr, taken) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(std::wstring(c.folder != nullptr ? c.folder : L"before"), folder.GetString())
            << testing::PrintToString(std::wstring(c.line));
    }
    EXPECT_FALSE(StartFolderFromCommandLine(nullptr, nullptr));
}
