#pragma once
// Runs kasumido-batch.exe as a child process for the end-to-end tests: standard input from a
// text, standard output and error captured, optionally Ctrl+C (or another action) once the
// output shows a text. Every wait is bounded. Also the small file checks those tests share.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/sjis.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unix_side.h"

namespace batch_test {

// The shared test toolkit: scratch folders, raw file bytes, Shift_JIS text.
using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

// A scratch folder named for these tests.
class TempDir : public testsupport::TempDir {
public:
    TempDir() : testsupport::TempDir(L"kasumido_batch") {}
};

bool IsDir(std::wstring const& path);
bool IsFile(std::wstring const& path);
// Sub-folders directly inside path.
int CountDirs(std::wstring const& path);
// Entries directly inside path whose name is name without regard to case.
int CountNames(std::wstring const& path, char const* name);

// The batch front beside the test programs (bin\ next to tests\).
std::wstring BatchExe();

struct BatchResult {
    int exit_code = -1;       // -1: did not end in time (then killed)
    std::wstring out;         // standard output, decoded from the console code page
    std::wstring err;         // standard error
    bool interrupted = false; // Ctrl+C was sent
};

// Runs the batch front with args (already quoted as needed) and input on standard input.
// With interruptAt non-empty, once standard output or error contains it: action(the batch's
// process id) when given, else Ctrl+C into the batch's console; standard input stays open (a
// question waits) until the run ends.
BatchResult RunBatchExe(std::wstring const& args, std::string const& input = std::string(),
                        std::wstring const& interruptAt = std::wstring(), DWORD timeoutMs = 120000,
                        std::function<void(DWORD)> const& action = nullptr,
                        std::wstring const& exe = std::wstring(),
                        std::wstring const& workDir = std::wstring());

// Process ids of the running copiers (xcopy.exe) started by the process parent.
std::vector<DWORD> CopiersOf(DWORD parent);
// A scratch tree of many small files, slow enough to copy that a copier can be caught running.
void AddManyFiles(std::wstring const& root, int count);

using testsupport::UnixCommand;
using testsupport::UnixName;
// Waits (bounded) until done() holds: Wine does not wait for the Linux programs it starts.
template <class Done> bool Eventually(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) {
        Sleep(10);
    }
    return done();
}

} // namespace batch_test
