#pragma once
// The Linux side of a Wine test run: a Windows path's Unix name, and Linux programs started
// from a test (links and deep trees that Win32 cannot make, or makes slowly). Shared by every
// test program.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// The Unix name of a Windows path under Wine; empty elsewhere.
inline std::string UnixName(std::wstring const& path) {
    using Convert = char*(CDECL*)(wchar_t const*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    Convert convert = nullptr;
    static_assert(sizeof found == sizeof convert, "function pointers");
    std::memcpy(&convert, &found, sizeof found);
    char* name = convert != nullptr ? convert(path.c_str()) : nullptr;
    std::string result = name != nullptr ? name : "";
    if (name != nullptr) {
        HeapFree(GetProcessHeap(), 0, name);
    }
    return result;
}

// Runs a Linux program with its arguments (start /unix: quotes are handed on as they are, so
// no argument may hold a blank). Wine does not wait for it: the caller waits for its effect.
inline bool UnixCommand(std::string const& arguments) {
    std::string line = "cmd /c start /wait /unix " + arguments;
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        return false;
    }
    WaitForSingleObject(pi.hProcess, 15000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

} // namespace testsupport
