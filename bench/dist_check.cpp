// dist_check <Kasumido.exe> <profiles expected>: starts Kasumido in its own folder, as a user of
// the unpacked release would, and checks that the dialog lists the sample profiles of its
// "list" folder. Prints the names; exit 0 when at least the expected number is listed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND dialog;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (owner == search->pid && IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770" &&
        GetDlgItem(hwnd, 1004) != nullptr) {
        search->dialog = hwnd;
        return FALSE;
    }
    return TRUE;
}

void Print(std::wstring const& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n,
                        nullptr, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        Print(L"usage: dist_check <Kasumido.exe> <profiles expected>\n");
        return 2;
    }
    std::wstring exe = argv[1];
    int expected = _wtoi(argv[2]);
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    std::wstring command = L"\"" + exe + L"\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &si, &pi)) {
        Print(L"dist_check: cannot start " + exe + L"\n");
        return 1;
    }
    CloseHandle(pi.hThread);
    // The list is filled before the dialog is shown; the rule combo filled means it is ready.
    Search search = {pi.dwProcessId, nullptr};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        search.dialog = nullptr;
        EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.dialog != nullptr &&
            SendDlgItemMessageW(search.dialog, 1014, CB_GETCOUNT, 0, 0) == 3) {
            break;
        }
        search.dialog = nullptr;
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
            break;
        }
    }
    int listed = -1;
    if (search.dialog != nullptr) {
        listed = static_cast<int>(SendDlgItemMessageW(search.dialog, 1004, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < listed; ++i) {
            LRESULT length = SendDlgItemMessageW(search.dialog, 1004, CB_GETLBTEXTLEN,
                                                 static_cast<WPARAM>(i), 0);
            std::vector<wchar_t> name(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
            SendDlgItemMessageW(search.dialog, 1004, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(name.data()));
            Print(L"  listed: " + std::wstring(name.data()) + L"\n");
        }
        PostMessageW(search.dialog, WM_CLOSE, 0, 0);
    } else {
        Print(L"dist_check: the dialog did not appear\n");
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    return listed >= expected && expected > 0 ? 0 : 1;
}
