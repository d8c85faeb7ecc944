// The tree copier's engine against per-target copies: one walk that reads each source file once
// and writes it to N targets, N walks of the same engine into one target each, and N bare
// FindFirstFileExW + CopyFileW walks. One way per process; the time is the copy's alone.
#include "bench/bench_clock.h"
#include "copier/C_TreeCopier.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool Walk(const std::wstring& src, const std::wstring& dst) {
    CreateDirectoryW(dst.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW((src + L"\\*").c_str(), FindExInfoBasic, &data,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = Walk(src + L"\\" + name, dst + L"\\" + name) && ok;
        else
            ok = CopyFileW((src + L"\\" + name).c_str(), (dst + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return ok;
}

} // namespace

// bench_copier <engine|each|walk> <source> <work folder> <targets> <writers> [wholeBelow]
// Prints "<way> <targets> <writers> <wholeBelow> <seconds> <complete|INCOMPLETE>".
int wmain(int argc, wchar_t** argv) {
    if (argc < 6)
        return 1;
    const std::wstring way = argv[1], source = argv[2], work = argv[3];
    const int targets = _wtoi(argv[4]);
    copier::CopyOptions options;
    options.writers = _wtoi(argv[5]);
    options.wholeBelow = argc > 6 ? static_cast<unsigned long long>(_wtoi64(argv[6])) : 0;
    std::vector<std::wstring> names;
    for (int i = 1; i <= targets; ++i)
        names.push_back(work + L"\\t" + std::to_wstring(i));
    std::atomic<int> abort{0};
    bool ok = true;
    const double start = bench::Now();
    if (way == L"engine") {
        copier::C_TreeCopier c(options, abort);
        ok = c.Copy(source, names) == copier::CopyOutcome::kDone;
    } else if (way == L"each") {
        for (const auto& n : names) {
            copier::C_TreeCopier c(options, abort);
            ok = c.Copy(source, {n}) == copier::CopyOutcome::kDone && ok;
        }
    } else {
        for (const auto& n : names)
            ok = Walk(source, n) && ok;
    }
    const double seconds = bench::Now() - start;
    std::printf("%ls %d %d %llu %.3f %s\n", way.c_str(), targets, options.writers,
                options.wholeBelow, seconds, ok ? "complete" : "INCOMPLETE");
    return ok ? 0 : 1;
}
