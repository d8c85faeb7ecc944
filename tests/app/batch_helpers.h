#pragma once
// Runs kasumido-batch.exe as a child process for the end-to-end tests: standard input from a
// text, standard output and error captured, optionally Ctrl+C once the output shows a text.
// Every wait is bounded.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace batch_test {

// A scratch folder under %TEMP%, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;
    std::wstring const& Path() const { return m_path; }
    std::wstring operator/(std::wstring const& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

void RemoveTree(std::wstring const& path);
bool WriteBytes(std::wstring const& path, std::string const& bytes);
std::string ReadBytes(std::wstring const& path);
bool IsDir(std::wstring const& path);
bool IsFile(std::wstring const& path);
// Sub-folders directly inside path.
int CountDirs(std::wstring const& path);
std::string Sjis(std::wstring const& text);

// The batch front beside the test programs (bin\ next to tests\).
std::wstring BatchExe();

struct BatchResult {
    int exit_code = -1;       // -1: did not end in time (then killed)
    std::wstring out;         // standard output, decoded from the console code page
    std::wstring err;         // standard error
    bool interrupted = false; // Ctrl+C was sent
};

// Runs the batch front with args (already quoted as needed) and input on standard input.
// With interruptAt non-empty, once standard output contains it: action(the batch's process
// id) when given, else Ctrl+C into the batch's console.
BatchResult RunBatchExe(std::wstring const& args, std::string const& input = std::string(),
                        std::wstring const& interruptAt = std::wstring(), DWORD timeoutMs = 120000,
                        std::function<void(DWORD)> const& action = nullptr,
                        std::wstring const& exe = std::wstring(),
                        std::wstring const& workDir = std::wstring());

// Process ids of the running copiers (xcopy.exe) started by the process parent.
std::vector<DWORD> CopiersOf(DWORD parent);
// A scratch tree of many small files, slow enough to copy that a copier can be caught running.
void AddManyFiles(std::wstring const& root, int count);

} // namespace batch_test
