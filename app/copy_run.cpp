#include "app/copy_run.h"

#include <windows.h>

#include "app/NamingRules.h"
#include "app/copy_messages.h"
#include "app/copy_paths.h"
#include "ktora/file/C_Find.h"
#include "ktora/file/ktora_file.h"
#include "ktora/file/ktora_lastname.h"
#include "ktora/thread/C_Process.h"

using ktora::C_WString;
using ktora::common::Pointer;

namespace {

// C_Find's folder test: the folder exists and can be entered.
bool CanEnter(C_WString const& folder) {
    ktora::C_Find probe;
    return probe.SetVtlDir(folder) != 0;
}

// The dialog's edits hold at most 2047 characters; options and profiles are cut the same way.
C_WString Cut(C_WString const& text) {
    const int kMaxUnits = 2047;
    return text.Length() > kMaxUnits ? text.SubString(0, kMaxUnits - 1) : text;
}

} // namespace

Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front) {
    C_WString source = NormalizeCopyPath(Cut(settings.source));
    C_WString destination = NormalizeCopyPath(Cut(settings.destination));
    if (source == destination || IsSelfCopy(source, destination)) {
        front.Tell(kTellSameFolder, kTitleMessage);
        return Pointer<CopyState>();
    }
    if (destination.Empty()) {
        front.Tell(kTellBadDestination, kTitleMessage);
        return Pointer<CopyState>();
    }
    // A drive root ("E:") or a dot path has no last name to name the container after: the
    // container would be no folder, the destination itself or its parent.
    if (source.Empty() || !CanEnter(source) ||
        !IsUsableCopyName(ktora::common::ktora_GetLastName(source))) {
        front.Tell(kTellBadSource, kTitleMessage);
        return Pointer<CopyState>();
    }
    C_WString container = destination;
    container += L"\\";
    container += ktora::common::ktora_GetLastName(source);

    if (!settings.count_valid || settings.count <= 0) {
        front.Tell(kTellBadCount, kTitleMessage);
        return Pointer<CopyState>();
    }
    {
        // The joining texts may make subfolders, but no copy may land outside the container
        // (xcopy would overwrite there without asking) or under a name no folder can have
        // ("com" + 1 is a device). A counter text of five or more characters cannot complete a
        // device name, so the first 10000 names stand for every later one.
        CopyState names;
        names.is_number = CounterIsNumber(settings.counter_kind);
        names.name_order = FolderRuleCode(settings.dir_rule);
        names.dir_cat1 = Cut(settings.dir_cat1);
        names.dir_cat2 = Cut(settings.dir_cat2);
        C_WString lastName = ktora::common::ktora_GetLastName(source);
        int checks = settings.count < 10000 ? settings.count : 10000;
        for (int i = 0; i < checks; ++i, StepCounter(names)) {
            if (!IsUsableCopyName(MakeFolderName(names, lastName))) {
                front.Tell(kTellBadDestination, kTitleMessage);
                return Pointer<CopyState>();
            }
        }
    }
    if (!front.Ask(kAskRun, kTitleConfirm)) {
        return Pointer<CopyState>();
    }
    ktora::common::ktora_CreateDirectory(container, 511);
    if (!CanEnter(container)) {
        front.Tell(kTellBadDestination, kTitleMessage);
        return Pointer<CopyState>();
    }
    if (settings.count >= 100 && !front.Ask(kAskMany, kTitleConfirm)) {
        return Pointer<CopyState>();
    }

    Pointer<CopyState> state(new CopyState());
    CopyState& s = *state;
    s.is_number = CounterIsNumber(settings.counter_kind);
    s.number = 1;
    s.letters = L"a";
    s.name_order = FolderRuleCode(settings.dir_rule);
    s.text_order = TextRuleCode(settings.txt_rule);
    s.make_count = settings.count;
    s.dir_cat1 = Cut(settings.dir_cat1);
    s.dir_cat2 = Cut(settings.dir_cat2);
    s.txt_cat1 = Cut(settings.txt_cat1);
    s.txt_cat2 = Cut(settings.txt_cat2);
    s.txt_cat3 = Cut(settings.txt_cat3);
    s.txt_front = Cut(settings.txt_front);
    s.dest_dir = container;
    s.src_dir = source;
    if (settings.text_output) {
        C_WString outInfo = container;
        outInfo += L"\\outinfo.txt";
        // A summary file that cannot be opened (another program holds it) does not stop the
        // run, but the completion message says so: an old outinfo.txt must not pass for this
        // run's.
        if (!s.out_info.Open(outInfo, 0x8102) || !s.out_info.SetEndFile(0)) {
            s.out_info_lost = true;
        }
    }
    return state;
}

int RunCopies(CopyState& s, std::atomic<int> const& abort, I_CopyFront& front) {
    front.RunStarted();
    C_WString lastName = ktora::common::ktora_GetLastName(s.dest_dir);
    bool aborted = false;
    int failed = 0;
    for (int i = 0; i < s.make_count; ++i) {
        if (abort) {
            aborted = true;
            break;
        }
        C_WString folder = MakeFolderName(s, lastName);
        C_WString target = s.dest_dir;
        target += L"\\";
        target += folder;
        // The line goes out before the copy is made, so an interrupted copy is listed too.
        ktora::C_String line = MakeTextLine(s, folder).ToString();
        if (s.out_info.IsOpen() && s.out_info.WriteLineA(line) < line.Length() + 2) {
            s.out_info_lost = true; // a full disk, for instance
        }
        front.CopyStarting(i, s.make_count, target);

        ktora::C_Process process;
        C_WString command = MakeCopyCommand(s.src_dir, target);
        // A copier that cannot be started is not reported: that copy is simply missing.
        bool started = process.Run(command.GetString(), SW_SHOW, 0, 0, nullptr, nullptr, nullptr,
                                   nullptr) != 0xFFFFFFFFul;
        if (abort) {
            // Started just as the abort came: it is asked to close like any running copy.
            process.TryExit();
            aborted = true;
            break;
        }
        int waited = 2;
        while ((waited = process.Join(100)) == 1) {
            if (abort) {
                process.TryExit();
                break;
            }
        }
        if (abort) {
            aborted = true;
            break;
        }
        // The copier's own errors (4: it could not start copying, 5: a write failed) mean the
        // copy is missing or incomplete; 1 (nothing to copy, an empty source) is no failure.
        int known = 0;
        int code = waited == 0 ? process.GetExitCode(&known) : 0;
        if (!started || (known && code >= 4)) {
            ++failed;
        }
        StepCounter(s);
    }
    // A run that was asked to stop makes no further calls on its front: the dialog may be gone.
    if (aborted || abort) {
        return 0;
    }
    front.RunCompleted();
    // The run goes on after a failed copy; the user learns about failures here.
    C_WString done =
        failed > 0 ? C_WString::Stringf(kTellDoneFailed, failed) : C_WString(kTellDone);
    if (s.out_info_lost) {
        done += L"\n";
        done += kTellSummaryLost;
    }
    front.Tell(done.GetString(), kTitleMessage);
    return failed > 0 || s.out_info_lost ? 2 : 1;
}
