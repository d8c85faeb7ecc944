#pragma once

#include <windows.h>

#include "ktora/string/C_Memory.h"

namespace ktora {

// One child process at a time, optionally connected through anonymous pipes.
//
// Pipe modes: 0 none; 1 the child's output and error go to a pipe the parent reads;
// 2 the child's input comes from a pipe the parent writes; 3 input, output and error
// pipes (the error pipe's parent end is kept so that Cleanup closes it; it is not
// drained, so a child that writes much to its error output blocks); 4 no pipes, the
// child gets a new console. Show mode 0 detaches the child from any console.
class C_Process {
public:
    C_Process();
    // The child is not terminated; it goes on running on its own.
    virtual ~C_Process();
    C_Process(const C_Process&) = delete;
    C_Process& operator=(const C_Process&) = delete;

    // The child's process id, or 0xFFFFFFFF on failure or while a child is held.
    unsigned long Run(wchar_t const* commandLine, int show, int mode, int waitIdle,
                      void* environment, wchar_t const* currentDirectory,
                      SECURITY_ATTRIBUTES* processAttributes,
                      SECURITY_ATTRIBUTES* threadAttributes);
    // Starts application, given by its full path and never searched for, with commandLine
    // as the line the child sees (its first word need not name the application).
    unsigned long RunApplication(wchar_t const* application, wchar_t const* commandLine,
                                 int show, int mode);
    // A quoted program keeps its quotes; the arguments follow after a blank.
    unsigned long Run(wchar_t const* program, wchar_t const* arguments, int show, int mode,
                      int waitIdle, void* environment, wchar_t const* currentDirectory);
    // 0 the child has ended (and is released), 1 time-out, 2 no child or failed wait.
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
    unsigned long Launch(wchar_t const* application, wchar_t const* commandLine, int show,
                         int mode, int waitIdle, void* environment,
                         wchar_t const* currentDirectory, SECURITY_ATTRIBUTES* processAttributes,
                         SECURITY_ATTRIBUTES* threadAttributes);
    int WaitEnd(unsigned long milliseconds);
    void CacheExitCodeIfEnded();
    // Reads what the output pipe holds, at most max bytes, at offset count. Bytes read, or
    // -1 when the buffer cannot grow.
    int ReadAvailable(C_Memory* buffer, int count, unsigned long max, bool terminate);

    HANDLE m_hRead;
    HANDLE m_hWrite;
    HANDLE m_hThird;
    HANDLE m_hProcess;
    DWORD m_dwProcessId;
    int m_nExitKnown;
    int m_nExitCode;
};

} // namespace ktora
