// What a tree copy tells the one who started it: files as they are taken, failures, questions
// and progress. Every call comes on the thread that called C_TreeCopier::Copy, never on a
// writer thread, so an observer needs no locks of its own.
#pragma once

#include <string>

namespace copier {

// Index of "every target" in a failure that concerns the source (all copies miss the entry).
constexpr int kAllTargets = -1;

enum class FailureKind {
    kNone,
    kFile,        // a file could not be copied; path names its source
    kTargetFile,  // a file could not be copied because of the target (a folder of that name)
    kListFolder,  // a source folder could not be listed; path names it
    kMakeFolder,  // a target folder could not be made; path names the target
    kSecurity,    // owner and access list not copied onto the target file or folder
    kCaseClash,   // not copied: its name differs only in case from one copied already
    kOntoItself,  // not copied: source and target are one file
    kLoop,        // a folder that leads back to a folder being copied (a link): not followed
    kCyclic,      // the target folder lies inside the source: the target is not copied at all
    kInterrupted, // the abort flag stopped the copy
    kBadSource,   // the source folder cannot be found
    kOutOfMemory, // the copier could not get its buffers
};

struct CopyFailure {
    FailureKind kind = FailureKind::kNone;
    int target = kAllTargets;
    // Below the source folder (and so below each target): "" for the folder itself.
    std::wstring path;
    unsigned long error = 0; // the Win32 error code, 0 when the kind says it all
};

enum class OverwriteAnswer { kYes, kNo, kAll };

struct CopyCounts {
    unsigned long long bytes = 0; // bytes written, summed over the targets
    long long files = 0;          // files copied, summed over the targets
};

class I_CopyObserver {
public:
    virtual ~I_CopyObserver() = default;
    // A file (path below the source) is about to be copied to every target, or, when only
    // listing, would be.
    virtual void FileStarting(const std::wstring& path) { (void)path; }
    virtual void Failed(const CopyFailure& failure) { (void)failure; }
    // Only when CopyOptions::askOverwrite is set: the target file exists.
    virtual OverwriteAnswer AskOverwrite(int target, const std::wstring& path) {
        (void)target;
        (void)path;
        return OverwriteAnswer::kAll;
    }
    // Between chunks and files, at most every CopyOptions::progressMs, and once at the end.
    virtual void Progress(const CopyCounts& counts) { (void)counts; }
};

} // namespace copier
