#include "tests/support/remove_tree.h"
#include "tests/support/sjis.h"
#include "xcopy/xcopy_helpers.h"

#include <algorithm>
#include <map>
#include <vector>

namespace xcopytest {

namespace {

using testsupport::FromSjis;

std::string ReadHandleFile(const std::wstring& path) {
    return GetFile(path);
}

struct Item {
    DWORD attributes;
    FILETIME written;
};

// Every entry below `root`, keyed by its relative path.
void Collect(const std::wstring& root, const std::wstring& rel, std::map<std::wstring, Item>& out) {
    WIN32_FIND_DATAW fd;
    std::wstring dir = rel.empty() ? root : root + L"\\" + rel;
    HANDLE h = FindFirstFileW(Long(dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring r = rel.empty() ? name : rel + L"\\" + name;
        out[r] = Item{fd.dwFileAttributes, fd.ftLastWriteTime};
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Collect(root, r, out);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

} // namespace

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

std::wstring Long(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

bool MakeDir(const std::wstring& path) {
    return CreateDirectoryW(Long(path).c_str(), nullptr);
}

bool PutFile(const std::wstring& path, const std::string& bytes, DWORD attributes) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    bool ok = bytes.empty() ||
              (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
               put == bytes.size());
    CloseHandle(h);
    if (ok && attributes)
        ok = SetFileAttributesW(Long(path).c_str(), attributes) != 0;
    return ok;
}

std::string GetFile(const std::wstring& path) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got)
        out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool Exists(const std::wstring& path) {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str());
}

void RemoveTree(const std::wstring& path) {
    testsupport::RemoveTree(Long(path));
}

bool SetOldTime(const std::wstring& path, int seconds) {
    SYSTEMTIME st{2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER u{{ft.dwLowDateTime, ft.dwHighDateTime}};
    u.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ull + 1234567; // odd fraction too
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    HANDLE h =
        CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = SetFileTime(h, &ft, &ft, &ft) != 0;
    CloseHandle(h);
    return ok;
}

SampleCounts MakeSampleTree(const std::wstring& root) {
    std::string big(1500000, '\0');
    unsigned x = 12345;
    for (auto& c : big) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    MakeDir(root);
    PutFile(root + L"\\a.txt", "hello\r\n");
    PutFile(root + L"\\zero.bin", "");
    PutFile(root + L"\\big.bin", big);
    PutFile(root + L"\\readonly.txt", "keep me", FILE_ATTRIBUTE_READONLY);
    PutFile(root + L"\\hidden.txt", "secret", FILE_ATTRIBUTE_HIDDEN);
    PutFile(root + L"\\system.dat", "sys", FILE_ATTRIBUTE_SYSTEM);
    MakeDir(root + L"\\日本語フォルダ");
    PutFile(root + L"\\日本語フォルダ\\ファイル名・表.txt", "\x93\xfa\x96\x7b"); // 日本 in SJIS
    MakeDir(root + L"\\sub");
    MakeDir(root + L"\\sub\\deep");
    PutFile(root + L"\\sub\\deep\\nested.txt", std::string(70000, 'n'));
    MakeDir(root + L"\\sub\\hiddendir");
    PutFile(root + L"\\sub\\hiddendir\\inside.txt", "inside");
    SetFileAttributesW(Long(root + L"\\sub\\hiddendir").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeDir(root + L"\\empty");
    int i = 0;
    for (const wchar_t* p : {L"a.txt", L"zero.bin", L"big.bin", L"readonly.txt", L"hidden.txt",
                             L"system.dat", L"日本語フォルダ\\ファイル名・表.txt",
                             L"sub\\deep\\nested.txt", L"sub\\hiddendir\\inside.txt",
                             // folders last: setting their children's times leaves them alone
                             L"sub\\deep", L"sub\\hiddendir", L"sub", L"empty", L"日本語フォルダ"})
        SetOldTime(root + L"\\" + p, ++i * 61);
    return SampleCounts{6, 9};
}

std::string CompareTrees(const std::wstring& source, const std::wstring& copy,
                         const CompareRules& rules) {
    std::map<std::wstring, Item> src, dst;
    Collect(source, L"", src);
    Collect(copy, L"", dst);
    // What the copy should hold: skip what the switches leave behind.
    std::map<std::wstring, Item> want;
    for (const auto& [rel, item] : src) {
        bool skipped = false;
        for (std::wstring p = rel;;) {
            const Item& it = src[p];
            if (!rules.hiddenToo &&
                (it.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
                skipped = true;
            size_t pos = p.find_last_of(L'\\');
            if (pos == std::wstring::npos)
                break;
            p = p.substr(0, pos);
            if (!rules.subfolders)
                skipped = true;
        }
        if (!rules.subfolders && (item.attributes & FILE_ATTRIBUTE_DIRECTORY))
            skipped = true;
        if (!skipped)
            want[rel] = item;
    }
    if (!rules.emptyFolders) {
        // A folder is expected only when some wanted file lies below it.
        for (auto it = want.begin(); it != want.end();) {
            bool keep = !(it->second.attributes & FILE_ATTRIBUTE_DIRECTORY);
            for (const auto& [rel, item] : want)
                if (!keep && !(item.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    rel.compare(0, it->first.size() + 1, it->first + L"\\") == 0)
                    keep = true;
            it = keep ? std::next(it) : want.erase(it);
        }
    }
    const DWORD mask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
    for (const auto& [rel, item] : want) {
        auto found = dst.find(rel);
        if (found == dst.end())
            return "missing: " + Narrow(rel);
        DWORD expected = item.attributes & mask;
        if (!rules.readOnlyKept)
            expected &= ~FILE_ATTRIBUTE_READONLY;
        if ((found->second.attributes & mask) != expected)
            return "attributes of " + Narrow(rel) + ": " +
                   std::to_string(found->second.attributes & mask) + " instead of " +
                   std::to_string(expected);
        if ((rules.folderTimes || !(item.attributes & FILE_ATTRIBUTE_DIRECTORY)) &&
            CompareFileTime(&found->second.written, &item.written) != 0)
            return "time of " + Narrow(rel);
        if (!(item.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            GetFile(source + L"\\" + rel) != GetFile(copy + L"\\" + rel))
            return "contents of " + Narrow(rel);
    }
    for (const auto& [rel, item] : dst)
        if (!want.count(rel))
            return "extra: " + Narrow(rel);
    return std::string();
}

std::wstring BuiltXcopy() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, n);
    dir = dir.substr(0, dir.find_last_of(L'\\'));
    wchar_t full[MAX_PATH];
    GetFullPathNameW((dir + L"\\..\\..\\tools\\xcopy\\xcopy.exe").c_str(), MAX_PATH, full, nullptr);
    return full;
}

RunResult RunXcopy(const std::wstring& arguments, const std::string& input) {
    RunResult r;
    TempDir io;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW((io / L"out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                             CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileW((io / L"err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                             CREATE_ALWAYS, 0, nullptr);
    PutFile(io / L"in", input);
    HANDLE in = CreateFileW((io / L"in").c_str(), GENERIC_READ, FILE_SHARE_READ, &sa, OPEN_EXISTING,
                            0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    std::wstring line = L"xcopy " + arguments;
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    const std::wstring exe = BuiltXcopy();
    const bool started = CreateProcessW(exe.c_str(), buf.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi) != 0;
    const DWORD startError = started ? 0 : GetLastError();
    if (started) {
        r.finished = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
        if (!r.finished)
            TerminateProcess(pi.hProcess, 99);
        GetExitCodeProcess(pi.hProcess, &r.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    r.out = FromSjis(ReadHandleFile(io / L"out"));
    r.err = FromSjis(ReadHandleFile(io / L"err"));
    if (!started)
        r.err = L"CreateProcessW failed with " + std::to_wstring(startError);
    return r;
}

} // namespace xcopytest
