// N copies of a tree through Kasumido's batch run against the same N copier command lines
// started directly, the way the run starts them (C_Process, polled every 100 ms).
#include "tests/support/remove_tree.h"
#include <windows.h>

#include "app/CopyPaths.h"
#include "bench/bench_clock.h"
#include "ktora/thread/C_Process.h"

namespace {

void RemoveTree(std::wstring const& path) {
    testsupport::RemoveTree(path);
}

int RunAndWait(std::wstring const& command) {
    ktora::C_Process process;
    if (process.Run(command.c_str(), SW_SHOW, 0, 0, nullptr, nullptr, nullptr, nullptr) ==
        0xFFFFFFFFUL) {
        return 0;
    }
    while (process.Join(100) == 1) {
    }
    return 1;
}

std::wstring LastName(std::wstring const& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

double Direct(std::wstring const& source, std::wstring const& out, int copies) {
    RemoveTree(out);
    double start = bench::Now();
    std::wstring container = out + L"\\" + LastName(source);
    CreateDirectoryW(out.c_str(), nullptr);
    CreateDirectoryW(container.c_str(), nullptr);
    for (int i = 1; i <= copies; ++i) {
        std::wstring target = container + L"\\" + LastName(source) + std::to_wstring(i);
        RunAndWait(
            MakeCopyCommand(ktora::C_WString(source.c_str()), ktora::C_WString(target.c_str()))
                .GetString());
    }
    return bench::Now() - start;
}

double Batch(std::wstring const& batch, std::wstring const& source, std::wstring const& out,
             int copies) {
    RemoveTree(out);
    double start = bench::Now();
    RunAndWait(L"\"" + batch + L"\" /s \"" + source + L"\" /d \"" + out + L"\" /n " +
               std::to_wstring(copies) + L" /y");
    return bench::Now() - start;
}

} // namespace

// bench_copy <kasumido-batch.exe> <source folder> <work folder> <copies> <rounds> <report>
int wmain(int argc, wchar_t** argv) {
    if (argc != 7) {
        return 1;
    }
    std::wstring batch = argv[1], source = argv[2], work = argv[3];
    int copies = _wtoi(argv[4]);
    int rounds = _wtoi(argv[5]);
    bench::Report report(argv[6]);
    // Copiers started from a console share it, as those of the batch run share the batch
    // front's; without one each would get a console of its own, which costs more than the copy.
    if (GetConsoleWindow() == nullptr) {
        AllocConsole();
    }
    std::vector<double> direct, viaBatch;
    for (int r = 0; r < rounds; ++r) {
        // Alternate the order so neither side always runs on a warm cache.
        if (r % 2 == 0) {
            direct.push_back(Direct(source, work + L"\\direct", copies));
            viaBatch.push_back(Batch(batch, source, work + L"\\batch", copies));
        } else {
            viaBatch.push_back(Batch(batch, source, work + L"\\batch", copies));
            direct.push_back(Direct(source, work + L"\\direct", copies));
        }
        report.Line("copy round %d direct %.3f batch %.3f", r + 1, direct.back(), viaBatch.back());
    }
    RemoveTree(work + L"\\direct");
    RemoveTree(work + L"\\batch");
    // The machine is shared: the fastest round of each side is the least disturbed one.
    double d = *std::min_element(direct.begin(), direct.end());
    double b = *std::min_element(viaBatch.begin(), viaBatch.end());
    report.Line("copy best copies %d direct %.3f batch %.3f ratio %.3f", copies, d, b, b / d);
    d = bench::Median(direct);
    b = bench::Median(viaBatch);
    report.Line("copy median copies %d direct %.3f batch %.3f ratio %.3f", copies, d, b, b / d);
    return 0;
}
