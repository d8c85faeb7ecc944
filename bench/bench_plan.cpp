// The copy plan: what one preview update costs for 3 and for 2,000,000,000 copies, what a
// whole plan with every run check costs, and the overwrite check on a container of 10,000
// folders (half of them the plan's targets), and a preview from a names file of 100,000 names,
// first read and then taken again while the file is unchanged.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/CopyPlan.h"
#include "bench/bench_clock.h"

namespace {

void Report(FILE* out, char const* what, long long count, double seconds) {
    fprintf(out, "plan %s count %lld us %.3f\n", what, count, seconds * 1e6);
}

} // namespace

// bench_plan <work folder> <report>
int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 1;
    }
    std::wstring work = argv[1];
    FILE* out = _wfopen(argv[2], L"a");
    if (out == nullptr) {
        return 1;
    }
    std::wstring source = work + L"\\plan\\photo";
    std::wstring destination = work + L"\\plan\\out";
    CreateDirectoryW((work + L"\\plan").c_str(), nullptr);
    CreateDirectoryW(source.c_str(), nullptr);
    CreateDirectoryW(destination.c_str(), nullptr);

    CopySettings settings;
    settings.source = source.c_str();
    settings.destination = destination.c_str();
    settings.texts.dir_cat1 = L"_控え";
    settings.texts.txt_front = L"保存先:";
    settings.text_output = true;
    for (int count : {3, 2000000000}) {
        settings.count = count;
        // One preview update: the plan while typing, the first and last names, the first line.
        double preview = bench::Best(2000, [&] {
            CopyPlan plan = MakeCopyPlan(settings, PlanDepth::kPreview);
            plan.FolderName(0);
            plan.FolderName(plan.count - 1);
            plan.TextLine(0);
        });
        Report(out, "preview", count, preview);
        double full = bench::Best(200, [&] { MakeCopyPlan(settings, PlanDepth::kRun); });
        Report(out, "run-checks", count, full);
    }

    // A roster of 100,000 names: the first preview reads, checks and sorts it; later ones
    // (a keystroke elsewhere) look at the file's size and time only.
    std::wstring roster = work + L"\\plan\\roster.txt";
    {
        std::string bytes = "# 100,000 names\r\n";
        for (int i = 1; i <= 100000; ++i) {
            bytes += "\xE7\x94\x9F\xE5\xBE\x92" + std::to_string(i) + "\r\n"; // 生徒<i>
        }
        FILE* list = _wfopen(roster.c_str(), L"wb");
        if (list == nullptr) {
            return 1;
        }
        fwrite(bytes.data(), 1, bytes.size(), list);
        fclose(list);
    }
    CopySettings listed = settings;
    listed.counter_kind = kCounterKindList;
    listed.name_list = roster.c_str();
    listed.count_from_list = true;
    int names = 0;
    double first = bench::Best(5, [&] {
        listed.loaded_list.reset();
        CopyPlan plan = MakeCopyPlan(listed, PlanDepth::kPreview);
        names = plan.count;
        plan.FolderName(0);
        plan.FolderName(plan.count - 1);
        plan.TextLine(0);
    });
    fprintf(out, "plan list-preview-first names %d ms %.3f\n", names, first * 1e3);
    listed.loaded_list = MakeCopyPlan(listed, PlanDepth::kPreview).name_list;
    double again = bench::Best(2000, [&] {
        CopyPlan plan = MakeCopyPlan(listed, PlanDepth::kPreview);
        plan.FolderName(0);
        plan.FolderName(plan.count - 1);
        plan.TextLine(0);
    });
    fprintf(out, "plan list-preview-again names %d us %.3f\n", names, again * 1e6);

    // 10,000 folders in the container: 5,000 of them copies of an earlier run.
    std::wstring container = destination + L"\\photo";
    CreateDirectoryW(container.c_str(), nullptr);
    for (int i = 1; i <= 10000; ++i) {
        std::wstring name =
            i % 2 ? L"photo" + std::to_wstring(i) + L"_控え" : L"other" + std::to_wstring(i);
        CreateDirectoryW((container + L"\\" + name).c_str(), nullptr);
    }
    settings.count = 20000;
    CopyPlan plan = MakeCopyPlan(settings);
    int found = 0;
    double check = bench::Best(5, [&] { found = FindExistingTargets(plan).Count(); });
    fprintf(out, "plan existing folders 10000 found %d ms %.3f\n", found, check * 1e3);
    fclose(out);
    return 0;
}
