// dist_check <Kasumido.exe> <profiles expected>: starts Kasumido in its own folder, as a user of
// the unpacked release would, and checks that the dialog lists the sample profiles of its
// "list" folder. Prints the names; exit 0 when at least the expected number is listed.
// dist_check <shortcut.lnk> <profiles expected>: the same through a Start menu shortcut: its
//   target, started in the shortcut's working folder; the shortcut's icon must exist.
// dist_check --verb <installed Kasumido.exe> <folder> <profiles expected>: Explorer's folder menu
//   entry of this user is there, labelled, for one folder, with the command "<exe>" "%V"; that
//   command started for the folder (in the folder, as Explorer may) opens the dialog with the
//   folder as the source, the focus in the destination and the profiles beside the program.
//   Nothing is registered for drives or the Folder class.
// dist_check --verb -: no such entry (after the uninstall).
// dist_check --product <UpgradeCode> <version | ->: exactly one installed product of that
//   upgrade code, of that version, with publisher and icon for Apps & features; "-" means none
//   and no registry key of ours left behind.
#include <windows.h>

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

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

bool Exists(std::wstring const& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ProductInfo(wchar_t const* product, wchar_t const* property) {
    wchar_t value[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (MsiGetProductInfoW(product, property, value, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return value;
}

int CheckProduct(std::wstring const& upgradeCode, std::wstring const& version) {
    int found = 0;
    bool good = true;
    wchar_t product[39] = {};
    for (DWORD i = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, i, product) == ERROR_SUCCESS;
         ++i) {
        ++found;
        std::wstring installed = ProductInfo(product, INSTALLPROPERTY_VERSIONSTRING);
        std::wstring publisher = ProductInfo(product, INSTALLPROPERTY_PUBLISHER);
        std::wstring icon = ProductInfo(product, INSTALLPROPERTY_PRODUCTICON);
        Print(L"  installed: " + std::wstring(product) + L" " +
              ProductInfo(product, INSTALLPROPERTY_INSTALLEDPRODUCTNAME) + L" " + installed +
              L", publisher \"" + publisher + L"\", icon " + icon + L"\n");
        good = good && installed == version && !publisher.empty() && Exists(icon);
    }
    if (version == L"-") {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Kasumido", 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            RegCloseKey(key);
            Print(L"dist_check: HKCU\\Software\\Kasumido is still there\n");
            return 1;
        }
        return found == 0 ? 0 : 1;
    }
    if (found != 1) {
        Print(L"dist_check: " + std::to_wstring(found) + L" products installed, not one\n");
    }
    return found == 1 && good ? 0 : 1;
}

// The target and working folder of a shortcut, through the shell as Explorer reads it.
bool ReadShortcut(std::wstring const& lnk, std::wstring* target, std::wstring* folder) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return false;
    }
    bool ok = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            wchar_t work[MAX_PATH] = {};
            wchar_t icon[MAX_PATH] = {};
            int index = 0;
            if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)) &&
                SUCCEEDED(link->GetWorkingDirectory(work, MAX_PATH)) &&
                SUCCEEDED(link->GetIconLocation(icon, MAX_PATH, &index))) {
                Print(L"  shortcut: " + std::wstring(path) + L" in " + work + L", icon " + icon +
                      L"\n");
                *target = path;
                *folder = work;
                ok = Exists(path) && Exists(work) && Exists(icon);
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return ok;
}

const wchar_t kVerbKey[] = L"Software\\Classes\\Directory\\shell\\Kasumido";

// A string value of HKCU\key; "<none>" when the key or value is missing.
std::wstring UserValue(std::wstring const& key, wchar_t const* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"<none>";
    }
    return value;
}

bool UserKeyExists(std::wstring const& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

struct Started {
    PROCESS_INFORMATION pi = {};
    HWND dialog = nullptr;
};

// Starts the command line in folder and waits for Kasumido's dialog, filled.
bool StartDialog(std::wstring const& command, std::wstring const& folder, Started* started) {
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &si, &started->pi)) {
        Print(L"dist_check: cannot start " + command + L"\n");
        return false;
    }
    CloseHandle(started->pi.hThread);
    // The list is filled before the dialog is shown; the rule combo filled means it is ready.
    Search search = {started->pi.dwProcessId, nullptr};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        search.dialog = nullptr;
        EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.dialog != nullptr &&
            SendDlgItemMessageW(search.dialog, 1014, CB_GETCOUNT, 0, 0) == 3) {
            break;
        }
        search.dialog = nullptr;
        if (WaitForSingleObject(started->pi.hProcess, 100) == WAIT_OBJECT_0) {
            break;
        }
    }
    started->dialog = search.dialog;
    if (search.dialog == nullptr) {
        Print(L"dist_check: the dialog did not appear\n");
    }
    return search.dialog != nullptr;
}

// Closes the dialog and waits for the program to end.
void Finish(Started* started) {
    if (started->dialog != nullptr) {
        PostMessageW(started->dialog, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(started->pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(started->pi.hProcess, 1);
        WaitForSingleObject(started->pi.hProcess, 5000);
    }
    CloseHandle(started->pi.hProcess);
}

// The profiles the dialog lists, printed; their number.
int ListProfiles(HWND dialog) {
    int listed = static_cast<int>(SendDlgItemMessageW(dialog, 1004, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < listed; ++i) {
        LRESULT length =
            SendDlgItemMessageW(dialog, 1004, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> name(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendDlgItemMessageW(dialog, 1004, CB_GETLBTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(name.data()));
        Print(L"  listed: " + std::wstring(name.data()) + L"\n");
    }
    return listed;
}

std::wstring ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    LRESULT n = SendMessageW(item, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<size_t>(n < 0 ? 0 : n) + 1, L'\0');
    SendMessageW(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int CheckVerb(std::wstring const& exe, std::wstring const& folder, int expected) {
    bool foreign = UserKeyExists(L"Software\\Classes\\Drive\\shell\\Kasumido") ||
                   UserKeyExists(L"Software\\Classes\\Folder\\shell\\Kasumido");
    if (foreign) {
        Print(L"dist_check: an entry for drives or the Folder class\n");
    }
    if (exe == L"-") {
        if (UserKeyExists(kVerbKey)) {
            Print(L"dist_check: HKCU\\" + std::wstring(kVerbKey) + L" is still there\n");
            return 1;
        }
        return foreign ? 1 : 0;
    }
    std::wstring label = UserValue(kVerbKey, nullptr);
    std::wstring selection = UserValue(kVerbKey, L"MultiSelectModel");
    std::wstring command = UserValue(std::wstring(kVerbKey) + L"\\command", nullptr);
    Print(L"  folder menu: \"" + label + L"\", " + selection + L", " + command + L"\n");
    std::wstring want = L"\"" + exe + L"\" \"%V\"";
    if (foreign || label != L"Kasumido で複数コピー…" || selection != L"Single" ||
        command != want) {
        Print(L"dist_check: expected the command " + want + L"\n");
        return 1;
    }
    std::wstring line = command;
    line.replace(line.find(L"%V"), 2, folder);
    Started started;
    bool good = StartDialog(line, folder, &started);
    if (good) {
        std::wstring source = ItemText(started.dialog, 1005);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 5000 &&
               !(GetGUIThreadInfo(GetWindowThreadProcessId(started.dialog, nullptr), &info) &&
                 info.hwndFocus == GetDlgItem(started.dialog, 1006))) {
            Sleep(50);
        }
        Print(L"  source: " + source + L", focus in the destination: " +
              (info.hwndFocus == GetDlgItem(started.dialog, 1006) ? L"yes" : L"no") + L"\n");
        good = source == folder && info.hwndFocus == GetDlgItem(started.dialog, 1006) &&
               ListProfiles(started.dialog) >= expected;
    }
    Finish(&started);
    return good ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--product") {
        return CheckProduct(argv[2], argv[3]);
    }
    if (argc == 5 && std::wstring(argv[1]) == L"--verb") {
        return CheckVerb(argv[2], argv[3], _wtoi(argv[4]));
    }
    if (argc == 3 && std::wstring(argv[1]) == L"--verb") {
        return CheckVerb(argv[2], std::wstring(), 0);
    }
    if (argc != 3) {
        Print(L"usage: dist_check <Kasumido.exe | shortcut.lnk> <profiles expected>\n"
              L"       dist_check --verb <installed Kasumido.exe> <folder> <profiles> | -\n"
              L"       dist_check --product <UpgradeCode> <version | ->\n");
        return 2;
    }
    std::wstring exe = argv[1];
    int expected = _wtoi(argv[2]);
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    if (exe.size() > 4 && _wcsicmp(exe.c_str() + exe.size() - 4, L".lnk") == 0) {
        std::wstring lnk = exe;
        if (!ReadShortcut(lnk, &exe, &folder)) {
            Print(L"dist_check: the shortcut " + lnk + L" does not lead to Kasumido\n");
            return 1;
        }
    }
    Started started;
    int listed = -1;
    if (StartDialog(L"\"" + exe + L"\"", folder, &started)) {
        listed = ListProfiles(started.dialog);
    }
    Finish(&started);
    return listed >= expected && expected > 0 ? 0 : 1;
}
