// Our xcopy.exe (with /O and without) against the floor a Win32 copier can reach here: a bare
// walk of FindFirstFileExW + CreateDirectoryW + CopyFileW. Each copy is a process of its own on
// both sides, as the copy job starts one copier per copy.
#include "bench/bench_clock.h"
#include "tests/support/remove_tree.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// The bare walk: no attributes beyond what CopyFileW carries, no questions, no file list. Its
// folders wait on a stack of its own, as a copier's must.
bool Walk(const std::wstring& src, const std::wstring& dst) {
    std::vector<std::pair<std::wstring, std::wstring>> pending{{src, dst}};
    bool ok = true;
    while (!pending.empty()) {
        const auto folder = pending.back();
        pending.pop_back();
        CreateDirectoryW(folder.second.c_str(), nullptr);
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileExW((folder.first + L"\\*").c_str(), FindExInfoBasic, &data,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (h == INVALID_HANDLE_VALUE) {
            ok = false;
            continue;
        }
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring from = folder.first + L"\\" + name;
            const std::wstring to = folder.second + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                pending.emplace_back(from, to);
            else
                ok = CopyFileW(from.c_str(), to.c_str(), FALSE) && ok;
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    return ok;
}

int CountFiles(const std::wstring& root) {
    std::vector<std::wstring> pending{root};
    int n = 0;
    while (!pending.empty()) {
        const std::wstring dir = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                pending.push_back(dir + L"\\" + name);
            else
                ++n;
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    return n;
}

// Starts one command line and waits for it; its output goes to `log`.
DWORD RunAndWait(const std::wstring& command, HANDLE log) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = log;
    si.hStdError = log;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

struct Kind {
    const char* name;
    const wchar_t* folder;
    std::wstring prefix; // the command line up to the source
    bool walk;
    std::vector<double> times;
    bool complete = true;
};

} // namespace

// bench_xcopy <xcopy.exe> <source folder> <work folder> <copies> <rounds> <report>
// bench_xcopy --walk <source folder> <target folder> [copies]
//   (one bare copy, or that many into target\1 .. target\copies, in this one process; exit 0
//   when every copy is whole)
int wmain(int argc, wchar_t** argv) {
    if ((argc == 4 || argc == 5) && std::wstring(argv[1]) == L"--walk") {
        if (argc == 4)
            return Walk(argv[2], argv[3]) ? 0 : 1;
        bool ok = CreateDirectoryW(argv[3], nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
        for (int i = 1; i <= _wtoi(argv[4]); ++i)
            ok = Walk(argv[2], std::wstring(argv[3]) + L"\\" + std::to_wstring(i)) && ok;
        return ok ? 0 : 1;
    }
    if (argc != 7)
        return 1;
    const std::wstring xcopy = argv[1], source = argv[2], work = argv[3];
    const int copies = _wtoi(argv[4]);
    const int rounds = _wtoi(argv[5]);
    bench::Report report(argv[6]);
    if (GetConsoleWindow() == nullptr)
        AllocConsole();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE log = CreateFileW((work + L"\\xcopy.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                             CREATE_ALWAYS, 0, nullptr);
    const int want = CountFiles(source);

    std::vector<Kind> kinds;
    kinds.push_back(Kind{"walk", L"walk", L"\"" + std::wstring(self) + L"\" --walk ", true, {}});
    kinds.push_back(Kind{"ours", L"ours", L"\"" + xcopy + L"\" /E /C /H /Y ", false, {}});
    kinds.push_back(Kind{"ours_o", L"ours_o", L"\"" + xcopy + L"\" /E /C /H /O /Y ", false, {}});
    for (int r = 0; r < rounds; ++r) {
        // A different order each round, so no side always runs on the warmest cache.
        for (size_t k = 0; k < kinds.size(); ++k) {
            Kind& kind = kinds[(k + static_cast<size_t>(r)) % kinds.size()];
            const std::wstring out = work + L"\\" + kind.folder;
            testsupport::RemoveTree(out);
            CreateDirectoryW(out.c_str(), nullptr);
            double start = bench::Now();
            for (int i = 1; i <= copies; ++i) {
                const std::wstring target = out + L"\\" + std::to_wstring(i);
                RunAndWait(kind.prefix + L"\"" + source + L"\" \"" + target +
                               (kind.walk ? L"\"" : L"\\\""),
                           log);
            }
            kind.times.push_back(bench::Now() - start);
            for (int i = 1; i <= copies; ++i)
                if (CountFiles(out + L"\\" + std::to_wstring(i)) != want)
                    kind.complete = false;
            testsupport::RemoveTree(out);
        }
    }
    CloseHandle(log);
    for (const Kind& kind : kinds) {
        double best = *std::min_element(kind.times.begin(), kind.times.end());
        report.Line("xcopy %s copies %d files %d best %.3f median %.3f %s", kind.name, copies, want,
                    best, bench::Median(kind.times), kind.complete ? "complete" : "INCOMPLETE");
    }
    return 0;
}
