#pragma once

#include <windows.h>

#include "ktora/string/C_Memory.h"

namespace ktora {

// One child process at a time, optionally connected through anonymous pipes. Show is a
// SW_ value for the child's first window; show 0 (SW_HIDE) also detaches the child from any
// console. Not thread-safe: one thread drives one object.
class C_Process {
public:
    // How Run connects the child.
    enum PipeMode : int {
        kPipeNone = 0,
        kPipeOutput = 1, // the child's output and error go to a pipe the parent reads
        kPipeInput = 2,  // the child's input comes from a pipe the parent writes
        // Input, output and error pipes. The error pipe's parent end is only kept so that
        // Cleanup closes it: it is not drained, so a child that writes much there blocks.
        kPipeAll = 3,
        kNewConsole = 4, // no pipes; the child gets a console of its own
    };
    // What Join and Exit answer (another set than C_ThreadEx's).
    enum JoinResult : int {
        kJoinEnded = 0, // the child has ended and is released
        kJoinTimeout = 1,
        kJoinNoChild = 2, // no child held, or the wait failed
    };

    C_Process();
    // The child is not terminated; it goes on running on its own.
    virtual ~C_Process();
    C_Process(const C_Process&) = delete;
    C_Process& operator=(const C_Process&) = delete;

    // What Run and RunApplication answer when no child was started.
    static constexpr unsigned long kRunFailed = 0xFFFFFFFFUL;

    // The child's process id, or kRunFailed on failure or while a child is held.
    unsigned long Run(wchar_t const* commandLine, int show, int mode, int waitIdle,
                      void* environment, wchar_t const* currentDirectory,
                      SECURITY_ATTRIBUTES* processAttributes,
                      SECURITY_ATTRIBUTES* threadAttributes);
    // Starts application, given by its full path and never searched for, with commandLine
    // as the line the child sees (its first word need not name the application). With
    // suspended the child does not run until Resume (so it can be put into a C_Job first); a
    // child never resumed is ended when the object lets it go.
    unsigned long RunApplication(wchar_t const* application, wchar_t const* commandLine, int show,
                                 int mode, bool suspended = false);
    // Lets a suspended child run. 1 when it runs (or already ran), 0 without a child.
    int Resume();
    // The child's process handle (owned by this object), null without a child.
    HANDLE GetHandle() const;
    // Posts WM_CLOSE to the child's main window without waiting; 1 when it has a window.
    int AskToClose();
    // A quoted program keeps its quotes; the arguments follow after a blank.
    unsigned long Run(wchar_t const* program, wchar_t const* arguments, int show, int mode,
                      int waitIdle, void* environment, wchar_t const* currentDirectory);
    // A JoinResult; the child is left running on a time-out.
    int Join(unsigned long milliseconds);
    // Posts WM_CLOSE to the child's main window, then waits as Join does.
    int Exit(unsigned long milliseconds);
    int TryExit();
    // 1 when the child was killed and released.
    int Terminate();
    int IsExist();
    // The exit code once the child has ended (*ok = 1); else -1 (*ok = 0). ok may be null.
    int GetExitCode(int* ok);
    unsigned long GetProcessID() const;
    // Bytes written to the child's input; waits at most milliseconds (0xFFFFFFFF: no limit).
    int Write(void const* data, unsigned size, unsigned long milliseconds);
    // Reads the child's output into buffer from its start, followed by a zero byte, until
    // the child has ended or milliseconds (0xFFFFFFFF: no limit) have passed. Bytes read.
    int Read(C_Memory* buffer, unsigned long milliseconds);
    // Reads exactly size bytes into buffer when they come in time (negative milliseconds:
    // no limit). The count, or -1 when nothing was read or the arguments are unusable.
    int ReaderStream(C_Memory* buffer, int size, int milliseconds);
    void Cleanup();

private:
    unsigned long Launch(wchar_t const* application, wchar_t const* commandLine, int show, int mode,
                         int waitIdle, void* environment, wchar_t const* currentDirectory,
                         SECURITY_ATTRIBUTES* processAttributes,
                         SECURITY_ATTRIBUTES* threadAttributes, bool suspended = false);
    int WaitEnd(unsigned long milliseconds);
    void CacheExitCodeIfEnded();
    // Reads what the output pipe holds, at most max bytes, at offset count. Bytes read, or
    // -1 when the buffer cannot grow.
    int ReadAvailable(C_Memory* buffer, int count, unsigned long max, bool terminate);

    HANDLE m_hRead;
    HANDLE m_hWrite;
    HANDLE m_hThird;
    HANDLE m_hProcess;
    HANDLE m_hSuspended; // the child's first thread until Resume
    DWORD m_dwProcessId;
    int m_nExitKnown;
    int m_nExitCode;
};

} // namespace ktora
