// xcopy.exe's run: resolves source and destination from the command line, hands the copy to
// the tree copier, and prints its file list, messages and count line.
#pragma once

#include "copier/C_TreeCopier.h"
#include "copier/I_CopyObserver.h"
#include "tools/xcopy/C_Console.h"
#include "tools/xcopy/xcopy_args.h"

#include <atomic>
#include <string>

namespace xcopy {

// Exit codes as the system command documents them.
enum ExitCode {
    kExitCopied = 0,
    kExitNothing = 1,
    kExitInterrupted = 2,
    kExitBadParameters = 4,
    kExitWriteError = 5,
};

class C_Xcopy : public copier::I_CopyObserver {
public:
    // `abort` is set from other threads (console control handler, close request).
    C_Xcopy(const Options& options, C_Console& console, const std::atomic<int>& abort);
    ~C_Xcopy() override;
    C_Xcopy(const C_Xcopy&) = delete;
    C_Xcopy& operator=(const C_Xcopy&) = delete;

    // Does the whole run, prints the file list and the count line; returns the exit code.
    int Run();

    void FileStarting(const std::wstring& path) override;
    void Failed(const copier::CopyFailure& failure) override;
    copier::OverwriteAnswer AskOverwrite(int target, const std::wstring& path) override;

private:
    copier::CopyOptions CopierOptions() const;
    int Finish(const copier::C_TreeCopier& copier);
    bool J() const { return m_console.IsJapanese(); }
    // Full names of an entry below the copy's source and target (or the two files).
    std::wstring Source(const std::wstring& rel) const;
    std::wstring Target(const std::wstring& rel) const;

    Options m_options;
    C_Console& m_console;
    const std::atomic<int>& m_abort;
    std::wstring m_srcDir, m_destDir, m_displayDir;
    std::wstring m_destFile; // when one file is copied onto a file name
    bool m_bErrors = false;
};

} // namespace xcopy
