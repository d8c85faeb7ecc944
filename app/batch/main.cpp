// kasumido-batch.exe: Kasumido's copy run from a console, without the dialog.
#include <windows.h>

#include <atomic>
#include <string>

#include "app/batch/C_BatchFront.h"
#include "app/batch/Batch.h"
#include "app/CopyMessages.h"

namespace {

std::atomic<int> g_abort(0);
HANDLE g_runEnded = nullptr;
// The exit code once the run has ended; an abort until then.
std::atomic<int> g_exitCode(kBatchAborted);

// Ctrl+C and Ctrl+Break abort the run as the dialog's abort button does (also while a question
// waits for its answer); the copiers in progress are asked to close. When the console itself
// goes away the system ends the process as soon as this returns, so it waits (bounded) for the
// run to stop first and ends the process with the run's exit code itself.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    g_abort = 1;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        if (g_runEnded != nullptr) {
            WaitForSingleObject(g_runEnded, 4000);
        }
        ExitProcess(static_cast<UINT>(g_exitCode.load()));
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Libraries loaded later come from the system folder, never from beside the program.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    BatchOptions options;
    ktora::C_WString error;
    if (!ParseBatchOptions(argc, argv, &options, &error)) {
        error += L"\n\n";
        C_BatchFront::Write(STD_ERROR_HANDLE, error.GetString());
        C_BatchFront::Write(STD_ERROR_HANDLE, BatchUsage());
        return kBatchRefused;
    }
    if (options.help) {
        C_BatchFront::Write(STD_OUTPUT_HANDLE, BatchUsage());
        return kBatchDone;
    }
    // The built-in copier hands several copies over at once: a line as each finishes.
    C_BatchFront front(options.yes_to_all, options.settings.copy_builtin ? kMaxJobs : options.jobs,
                       &g_abort);
    if (options.list_only) {
        return ListBatchPlan(options.settings, front, [](std::wstring const& line) {
            return C_BatchFront::Write(STD_OUTPUT_HANDLE, (line + L"\n").c_str());
        });
    }
    g_runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
    BatchExit result = RunBatch(options.settings, g_abort, front, options.jobs);
    if (result == kBatchRefused && g_abort) {
        // A question was cut short by Ctrl+C: that is an abort, not a No.
        front.Tell(kTellAborted, kTitleMessage);
        result = kBatchAborted;
    }
    g_exitCode = result;
    if (g_runEnded != nullptr) {
        SetEvent(g_runEnded);
    }
    return result;
}
