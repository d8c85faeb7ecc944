// The tree copier: one source folder into up to eight target folders in one walk.
//
// Contract:
// - What a copy is (defaults, the copy Kasumido makes): every folder, empty ones included;
//   hidden and system files; the attributes read-only, hidden, system, archive and
//   not-indexed, with read-only cleared unless keepAttributes; file times; the owner, group
//   and access list, read through the source's open handle; an existing file is overwritten
//   without asking; after an error the copy goes on and the failure is reported. Folders
//   take their source's attributes; their times are the copy's own unless folderTimes.
//   structureOnly makes the folders only.
// - One read, N writes: each plain source file is opened and read once, in chunks of 1 MiB
//   with ReadFile, and each chunk is written to every target before the next is handed over
//   (the reader fills the next chunk meanwhile). Files with alternate data streams, sparse
//   and encrypted files are copied per target with CopyFileExW, which keeps what they carry.
// - Threads: `writers` (1..8) writer threads share the targets; with one, or with one target,
//   the calling thread writes. Observer calls come only on the calling thread.
// - Abort: the flag (non-zero: stop) is looked at before every chunk, file and folder, by the
//   reader and by every writer; once it is set nothing more is written and each file being
//   written is removed. Copy then answers kAborted.
// - Guards: a target folder inside the source is refused (kCyclic) by name and by identity; a
//   folder whose (volume serial, file index) is already on the walked path is not entered
//   (kLoop); a file is never copied onto itself; of names that differ only in case (a
//   case-sensitive source) only the first is copied.
// - Progress: BytesDone and FilesDone, summed over the targets, may be read from any thread
//   at any time; the observer's Progress gets the same on the calling thread.
// - Never throws; Copy reports by its answer and by Results().
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "copier/C_TargetFile.h"
#include "copier/C_WriterPool.h"
#include "copier/I_CopyObserver.h"
#include "copier/copier_path.h"

namespace copier {

struct CopyOptions {
    bool subdirs = true;         // folders below the source (xcopy /S)
    bool emptyDirs = true;       // folders without files too (/E)
    bool keepGoing = true;       // go on after a failure (/C)
    bool hiddenFiles = true;     // hidden and system entries (/H)
    bool security = true;        // owner, group and access list (/O)
    bool keepAttributes = false; // read-only stays (/K)
    bool readOnlyToo = false;    // a read-only target file is replaced too (/R)
    bool structureOnly = false;  // folders only (/T)
    bool listOnly = false;       // nothing is written, files are only reported (/L)
    bool askOverwrite = false;   // the observer is asked before an existing file is replaced
    bool folderTimes = false;    // folders made take the source folder's times
    int writers = 1;             // writer threads, 1..8
    // Files smaller than this go per target through CopyFileExW (0: none do).
    unsigned long long wholeBelow = 0;
    unsigned long progressMs = 500;
};

// How one target came out.
struct TargetResult {
    bool whole = false;  // every entry copied, nothing failed, no abort
    CopyFailure failure; // the first failure (kind kNone when none)
    int files = 0;       // files copied into it
    unsigned long long bytes = 0;
};

enum class CopyOutcome {
    kDone,     // every target whole
    kFailures, // the walk ended, some target has a failure
    kAborted,  // stopped by the abort flag
};

class C_TreeCopier {
public:
    static constexpr int kMaxTargets = 8;
    static constexpr DWORD kChunk = 1u << 20;

    // abort and observer (may be null) must outlive the copier.
    C_TreeCopier(const CopyOptions& options, const std::atomic<int>& abort,
                 I_CopyObserver* observer = nullptr);
    virtual ~C_TreeCopier();
    C_TreeCopier(const C_TreeCopier&) = delete;
    C_TreeCopier& operator=(const C_TreeCopier&) = delete;

    // Copies what sourceDir holds (the entries matching pattern at each level; folders are
    // walked whatever their names) into each of 1..8 target folders, made as needed. Full
    // paths, plain or \\?\ forms. More than 8 targets or none: every result kBadSource.
    CopyOutcome Copy(const std::wstring& sourceDir, const std::vector<std::wstring>& targets,
                     const std::wstring& pattern = L"*");
    // One file onto another file's name (full paths); its folder must exist.
    CopyOutcome CopyFileTo(const std::wstring& sourceFile, const std::wstring& targetFile);

    // Of the last Copy, in the order of its targets.
    const std::vector<TargetResult>& Results() const { return m_results; }
    unsigned long long BytesDone() const { return m_nBytes.load(); }
    long long FilesDone() const { return m_nFiles.load(); }

private:
    struct Entry {
        std::wstring name;
        WIN32_FIND_DATAW data;
        bool clash; // its name differs only in case from the entry before it
    };
    struct TargetFolder {
        bool exists = false; // the target folder is there
        bool made = false;   // and this run created it (so it takes the source's attributes)
        bool fresh = false;  // created by this run, so nothing in it can be in the way
        bool failed = false; // could not be created: skip what lies below
    };
    struct Frame {
        std::wstring rel; // below the source ("" for the source itself)
        WIN32_FIND_DATAW self{};
        bool isRoot = false;
        FileIdentity id; // of the source folder, when it could be read
        bool hasId = false;
        std::vector<Entry> subdirs;
        size_t next = 0;
        TargetFolder t[kMaxTargets];
    };
    // The target side of the file being copied.
    struct Slot {
        C_TargetFile file;
        std::wstring path; // \\?\ form
        DWORD existing = INVALID_FILE_ATTRIBUTES;
        bool lookUp = false;    // existing still to be looked up
        bool mustBeNew = false; // in a folder this run made
        DWORD error = 0;
        DWORD securityError = 0;
        bool onTarget = false; // the error is the target's (a folder in the way)
    };

    CopyOutcome Begin(size_t targets);
    CopyOutcome End();
    void Walk(const std::wstring& pattern);
    void EnterFolder(Frame& frame, const std::wstring& pattern);
    void LeaveFolder(Frame& frame);
    unsigned EnsureFolders(unsigned want);
    bool List(const std::wstring& rel, const std::wstring& pattern, std::vector<Entry>* files,
              std::vector<Entry>* folders);
    bool Clashes(const Entry& e, const std::wstring& rel);
    // Copies the file rel (data: its find data, srcPath its full name) to the targets in mask,
    // below each target or, for CopyFileTo, onto targetFile.
    void CopyOne(const std::wstring& rel, const std::wstring& srcPath, const WIN32_FIND_DATAW& data,
                 unsigned mask, const std::wstring* targetFile);
    void CopyStreamed(HANDLE in, const WIN32_FIND_DATAW& data, unsigned mask);
    void CopyWhole(const std::wstring& srcPath, const WIN32_FIND_DATAW& data, unsigned mask);
    DWORD OpenSlot(int t, const WIN32_FIND_DATAW& data, PSECURITY_DESCRIPTOR security);
    void ReportSlots(const std::wstring& rel, unsigned mask);
    DWORD ReadSecurity(HANDLE src);
    DWORD ReadSecurityByName(const std::wstring& path);
    // Records the failure on the targets in mask (the first one each keeps) and tells it.
    void Fail(FailureKind kind, unsigned mask, const std::wstring& rel, DWORD error = 0);
    void Tick(bool force);
    bool Aborted() const { return m_abort.load() != 0; }
    bool Stopped() const { return m_bStop || Aborted(); }
    std::wstring SourcePath(const std::wstring& rel) const { return JoinPath(m_srcDir, rel); }
    std::wstring TargetPath(int t, const std::wstring& rel) const {
        return JoinPath(m_targets[static_cast<size_t>(t)], rel);
    }

    CopyOptions m_options;
    const std::atomic<int>& m_abort;
    I_CopyObserver* m_pObserver;
    std::wstring m_srcDir;
    std::vector<std::wstring> m_targets;
    std::vector<TargetResult> m_results;
    unsigned m_live = 0;       // targets still being copied to
    unsigned m_ontoItself = 0; // targets that are the source folder under another name
    std::vector<Frame> m_stack;
    Slot m_slots[kMaxTargets];
    std::vector<char> m_buffers[2];
    std::vector<BYTE> m_security; // a source's security descriptor, reused file after file
    C_WriterPool m_pool;
    bool m_bStop = false;
    bool m_bOverwriteAll = true;
    DWORD m_dwLastTick = 0;
    std::atomic<unsigned long long> m_nBytes{0};
    std::atomic<long long> m_nFiles{0};
};

} // namespace copier
