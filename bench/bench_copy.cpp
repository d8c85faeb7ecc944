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
             int copies, std::wstring const& more = std::wstring()) {
    RemoveTree(out);
    double start = bench::Now();
    RunAndWait(L"\"" + batch + L"\" /s \"" + source + L"\" /d \"" + out + L"\" /n " +
               std::to_wstring(copies) + L" /y" + more);
    return bench::Now() - start;
}

} // namespace

// bench_copy <kasumido-batch.exe> <source folder> <work folder> <copies> <rounds> <report> [tag]
// With the tag "jobs" the batch run alone is timed with /j 1, 2 and 4; any other tag names the
// lines of the batch-vs-direct comparison (default "copy").
int wmain(int argc, wchar_t** argv) {
    if (argc != 7 && argc != 8) {
        return 1;
    }
    std::wstring batch = argv[1], source = argv[2], work = argv[3];
    int copies = _wtoi(argv[4]);
    int rounds = _wtoi(argv[5]);
    bench::Report report(argv[6]);
    std::wstring wideTag = argc == 8 ? argv[7] : L"copy";
    std::string tag(wideTag.begin(), wideTag.end());
    // Copiers started from a console share it, as those of the batch run share the batch
    // front's; without one each would get a console of its own, which costs more than the copy.
    if (GetConsoleWindow() == nullptr) {
        AllocConsole();
    }
    if (tag == "jobs") {
        std::vector<double> times[3];
        int const jobs[3] = {1, 2, 4};
        for (int r = 0; r < rounds; ++r) {
            for (int k = 0; k < 3; ++k) {
                int j = jobs[(k + r) % 3]; // rotate the order between rounds
                times[(k + r) % 3].push_back(
                    Batch(batch, source, work + L"\\jobs", copies, L" /j " + std::to_wstring(j)));
            }
            report.Line("jobs round %d j1 %.3f j2 %.3f j4 %.3f", r + 1, times[0].back(),
                        times[1].back(), times[2].back());
        }
        RemoveTree(work + L"\\jobs");
        double one = bench::Median(times[0]);
        report.Line("jobs median copies %d j1 %.3f j2 %.3f j4 %.3f ratio2 %.3f ratio4 %.3f", copies,
                    one, bench::Median(times[1]), bench::Median(times[2]),
                    bench::Median(times[1]) / one, bench::Median(times[2]) / one);
        return 0;
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
        report.Line("%s round %d direct %.3f batch %.3f", tag.c_str(), r + 1, direct.back(),
                    viaBatch.back());
    }
    RemoveTree(work + L"\\direct");
    RemoveTree(work + L"\\batch");
    // The machine is shared: the fastest round of each side is the least disturbed one.
    double d = *std::min_element(direct.begin(), direct.end());
    double b = *std::min_element(viaBatch.begin(), viaBatch.end());
    report.Line("%s best copies %d direct %.3f batch %.3f ratio %.3f", tag.c_str(), copies, d, b,
                b / d);
    d = bench::Median(direct);
    b = bench::Median(viaBatch);
    report.Line("%s median copies %d direct %.3f batch %.3f ratio %.3f", tag.c_str(), copies, d, b,
                b / d);
    return 0;
}
