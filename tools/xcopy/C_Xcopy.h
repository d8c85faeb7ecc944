// The copy itself: resolves source and destination, walks the tree, copies file by file.
#pragma once

#include "tools/xcopy/C_Console.h"
#include "tools/xcopy/xcopy_args.h"
#include "tools/xcopy/xcopy_path.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace xcopy {

// Exit codes as the system command documents them.
enum ExitCode {
    kExitCopied = 0,
    kExitNothing = 1,
    kExitInterrupted = 2,
    kExitBadParameters = 4,
    kExitWriteError = 5,
};

class C_Xcopy {
public:
    // `abort` is set from other threads (console control handler, close request).
    C_Xcopy(const Options& options, C_Console& console, const std::atomic<bool>& abort);
    virtual ~C_Xcopy();
    C_Xcopy(const C_Xcopy&) = delete;
    C_Xcopy& operator=(const C_Xcopy&) = delete;

    // Does the whole run, prints the file list and the count line; returns the exit code.
    int Run();

private:
    struct Entry {
        std::wstring name;
        WIN32_FIND_DATAW data;
        bool clash; // its name differs only in case from the entry before it
    };
    struct Frame {
        std::wstring src, dst, display;
        WIN32_FIND_DATAW self{};
        bool isRoot = false;
        bool exists = false; // the target folder is there
        bool made = false;   // and this run created it (so it takes the source's attributes)
        bool fresh = false;  // created by this run, so nothing in it can be in the way
        bool failed = false; // could not be created: skip what lies below
        FileIdentity id;     // of the source folder, when it could be read
        bool hasId = false;
        std::vector<Entry> subdirs;
        size_t next = 0;
    };

    int CopyTree(const std::wstring& srcDir, const std::wstring& pattern,
                 const std::wstring& dstDir, const std::wstring& displayDir);
    void EnterFolder(Frame& frame, const std::wstring& pattern);
    void LeaveFolder(Frame& frame);
    bool EnsureFolders();
    bool List(const std::wstring& dir, const std::wstring& pattern, std::vector<Entry>* files,
              std::vector<Entry>* folders);
    void CopyOneFile(const std::wstring& src, const std::wstring& dst, const std::wstring& display,
                     const WIN32_FIND_DATAW& data, bool fresh);
    DWORD CopyData(const std::wstring& src, const std::wstring& dst, DWORD existing,
                   const WIN32_FIND_DATAW& data, bool mustBeNew);
    DWORD CopySecurity(const std::wstring& src, const std::wstring& dst);
    DWORD ReadSecurity(HANDLE src); // into m_security
    bool Clashes(const Entry& e, const std::wstring& display);
    void Fail(const std::wstring& path, DWORD error);
    void FailText(const std::wstring& text);
    int Finish();
    bool Stopped() const { return m_bStop || m_abort.load(); }
    bool J() const { return m_console.IsJapanese(); }

    Options m_options;
    C_Console& m_console;
    const std::atomic<bool>& m_abort;
    std::vector<Frame> m_stack;
    std::vector<char> m_buffer;
    std::vector<BYTE> m_security; // a source's security descriptor, reused file after file
    bool m_bOverwriteAll = false;
    bool m_bOntoItself = false; // the target folder is the source folder under another name
    bool m_bStop = false;
    bool m_bErrors = false;
    int m_nCopied = 0;
};

} // namespace xcopy
