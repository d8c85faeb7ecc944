// How the cost of C_IniFile::GetStr and of a C_Find listing grows with the size of what they
// work on: settings files of 100, 1,000 and 10,000 keys, folders of as many files.
#include <windows.h>

#include <functional>

#include "bench/bench_clock.h"
#include "ktora/file/C_Find.h"
#include "ktora/file/C_IniFile.h"

using ktora::C_String;
using ktora::C_WString;

namespace {

std::string Key(int i) {
    char key[32];
    snprintf(key, sizeof(key), "key%05d", i);
    return key;
}

} // namespace

// bench_scale <work folder> <report>; the folders files_<n> (n files each) are made by the
// caller, which can do it much faster outside Wine.
int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 1;
    }
    std::wstring work = argv[1];
    bench::Report report(argv[2]);
    volatile int sink = 0;
    for (int n : {100, 1000, 10000}) {
        std::wstring path = work + L"\\keys_" + std::to_wstring(n) + L".ini";
        std::string text;
        for (int i = 1; i <= n; ++i) {
            text += Key(i) + "=value number " + std::to_string(i) + "\r\n";
        }
        FILE* f = _wfopen(path.c_str(), L"wb");
        if (!f) {
            return 1;
        }
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);

        ktora::C_IniFile ini(C_WString(path.c_str()));
        // Keys spread over the whole file: the first, the last and evenly between.
        const int lookups = 200;
        std::vector<C_String> keys;
        for (int i = 0; i < lookups; ++i) {
            keys.push_back(C_String(
                Key(1 + static_cast<int>(static_cast<long long>(i) * (n - 1) / (lookups - 1)))
                    .c_str()));
        }
        double t = bench::Best(3, [&] {
            for (C_String const& k : keys) {
                sink = sink + ini.GetStr(k).Length();
            }
        });
        report.Line("ini keys %d getstr_us %.2f", n, t / lookups * 1e6);
    }
    for (int n : {100, 1000, 10000}) {
        C_WString folder((work + L"\\files_" + std::to_wstring(n)).c_str());
        int found = 0;
        double t = bench::Best(3, [&] {
            ktora::C_Find find;
            find.SetVtlDir(folder);
            find.Start(C_WString(L"*.txt"), 1);
            found = 0;
            for (ktora::tag_FindInfo* info = find.GetFindInfoFirst(); info != nullptr;
                 info = find.GetFindInfoNext()) {
                ++found;
            }
            find.End();
        });
        report.Line("find files %d found %d ms %.2f", n, found, t * 1e3);
    }
    return 0;
}
