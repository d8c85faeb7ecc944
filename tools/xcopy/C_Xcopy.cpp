#include "tools/xcopy/C_Xcopy.h"

#include "copier/copier_path.h"
#include "tools/xcopy/xcopy_messages.h"

#include <windows.h>

namespace xcopy {

using namespace copier;

namespace {

bool HasWildcard(const std::wstring& name) {
    return name.find_first_of(L"*?") != std::wstring::npos;
}

void EnablePrivilege(const wchar_t* name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr);
    CloseHandle(token);
}

// The folder part of the source as the user typed it, for the file list.
std::wstring TypedFolder(const std::wstring& typed, bool isFolder) {
    std::wstring t = typed;
    if (isFolder) {
        while (t.size() > 1 && t.back() == L'\\' && t[t.size() - 2] != L':' &&
               t[t.size() - 2] != L'\\')
            t.pop_back();
        return t;
    }
    size_t pos = t.find_last_of(L"\\:");
    if (pos == std::wstring::npos)
        return std::wstring();
    if (t[pos] == L':' || pos == 0 || t[pos - 1] == L':')
        return t.substr(0, pos + 1);
    return t.substr(0, pos);
}

} // namespace

C_Xcopy::C_Xcopy(const Options& options, C_Console& console, const std::atomic<int>& abort)
    : m_options(options), m_console(console), m_abort(abort) {}

C_Xcopy::~C_Xcopy() = default;

CopyOptions C_Xcopy::CopierOptions() const {
    CopyOptions o;
    o.subdirs = m_options.subdirs;
    o.emptyDirs = m_options.emptyDirs;
    o.keepGoing = m_options.keepGoing;
    o.hiddenFiles = m_options.hiddenFiles;
    o.security = m_options.security;
    o.keepAttributes = m_options.keepAttributes;
    o.readOnlyToo = m_options.readOnlyToo;
    o.structureOnly = m_options.structureOnly;
    o.listOnly = m_options.listOnly;
    o.askOverwrite = m_options.overwrite != 1;
    o.folderTimes = true; // this command's copies keep their folders' times
    o.writers = 1;
    return o;
}

std::wstring C_Xcopy::Source(const std::wstring& rel) const {
    return JoinPath(m_srcDir, rel);
}

std::wstring C_Xcopy::Target(const std::wstring& rel) const {
    return m_destFile.empty() ? JoinPath(m_destDir, rel) : m_destFile;
}

void C_Xcopy::FileStarting(const std::wstring& rel) {
    if (m_options.quiet && !m_options.listOnly)
        return;
    m_console.Out(m_options.fullNames ? Source(rel) + L" -> " + Target(rel)
                                      : JoinPath(m_displayDir, rel));
}

OverwriteAnswer C_Xcopy::AskOverwrite(int, const std::wstring& rel) {
    const wchar_t answer = m_console.Ask(Format(Msg::Overwrite, J(), Target(rel).c_str()), L"YNA");
    return answer == L'A'   ? OverwriteAnswer::kAll
           : answer == L'Y' ? OverwriteAnswer::kYes
                            : OverwriteAnswer::kNo;
}

void C_Xcopy::Failed(const CopyFailure& f) {
    const std::wstring display = JoinPath(m_displayDir, f.path);
    const std::wstring error = ErrorText(f.error, J());
    std::wstring text;
    switch (f.kind) {
    case FailureKind::kNone:
    case FailureKind::kInterrupted:
        return;
    case FailureKind::kCyclic:
        m_console.Err(Text(Msg::CyclicCopy, J()));
        return;
    case FailureKind::kFile:
    case FailureKind::kListFolder:
    case FailureKind::kBadSource:
        text = Format(Msg::FileError, J(), Source(f.path).c_str(), error.c_str());
        break;
    case FailureKind::kTargetFile:
        text = Format(Msg::FileError, J(), Target(f.path).c_str(), error.c_str());
        break;
    case FailureKind::kMakeFolder:
        text = Format(Msg::CannotMakeDir, J(), Target(f.path).c_str());
        break;
    case FailureKind::kSecurity:
        text = Format(Msg::SecurityFailed, J(), Target(f.path).c_str()) + L" (" + error + L")";
        break;
    case FailureKind::kCaseClash:
        text = Format(Msg::CaseClash, J(), display.c_str());
        break;
    case FailureKind::kOntoItself:
        text = Format(Msg::OntoItself, J(), display.c_str());
        break;
    case FailureKind::kLoop:
        text = Format(Msg::FileError, J(), display.c_str(), Text(Msg::CyclicCopy, J()));
        break;
    case FailureKind::kOutOfMemory:
        text = ErrorText(ERROR_NOT_ENOUGH_MEMORY, J());
        break;
    }
    m_console.Err(text);
    m_bErrors = true;
}

int C_Xcopy::Run() {
    if (m_options.help) {
        m_console.Out(Text(Msg::Usage, J()));
        return kExitCopied;
    }

    // Source: a folder (all its files), a name with wildcards, or one file.
    const std::wstring srcFull = FullPath(m_options.source);
    if (srcFull.empty()) {
        m_console.Err(Format(Msg::FileNotFound, J(), m_options.source.c_str()));
        return kExitBadParameters;
    }
    std::wstring srcDir, pattern;
    bool single = false;
    const std::wstring last = LastName(srcFull);
    if (HasWildcard(last)) {
        srcDir = ParentPath(srcFull);
        pattern = last;
        DWORD a = GetFileAttributesW(LongPath(srcDir).c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) {
            m_console.Err(Format(Msg::PathNotFound, J(), m_options.source.c_str()));
            return kExitBadParameters;
        }
    } else {
        DWORD a = GetFileAttributesW(LongPath(srcFull).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) {
            m_console.Err(Format(Msg::FileNotFound, J(), m_options.source.c_str()));
            m_console.Out(Format(m_options.listOnly ? Msg::FilesFound : Msg::FilesCopied, J(), 0));
            return kExitBadParameters;
        }
        if (a & FILE_ATTRIBUTE_DIRECTORY) {
            srcDir = srcFull;
            pattern = L"*";
        } else {
            srcDir = ParentPath(srcFull);
            pattern = last;
            single = !m_options.subdirs;
        }
    }
    m_srcDir = srcDir;
    m_displayDir = TypedFolder(m_options.source, pattern == L"*" && !HasWildcard(last));

    // Destination: a folder unless it names a file (or the user says so).
    const std::wstring destFull = FullPath(m_options.destGiven ? m_options.dest : L".");
    if (destFull.empty()) {
        m_console.Err(Format(Msg::PathNotFound, J(), m_options.dest.c_str()));
        return kExitBadParameters;
    }
    bool toFolder = true;
    DWORD da = GetFileAttributesW(LongPath(destFull).c_str());
    if (da != INVALID_FILE_ATTRIBUTES && (da & FILE_ATTRIBUTE_DIRECTORY)) {
        toFolder = true;
    } else if (m_options.destIsFolder || !m_options.destGiven) {
        toFolder = true;
    } else if (da != INVALID_FILE_ATTRIBUTES) {
        toFolder = false;
    } else if (!single && m_options.assumeDir) {
        toFolder = true;
    } else {
        wchar_t answer =
            m_console.Ask(Format(Msg::FileOrFolder, J(), m_options.dest.c_str()), L"FD");
        if (!answer)
            return m_abort.load() ? kExitInterrupted : kExitBadParameters;
        toFolder = answer == L'D';
    }
    if (!toFolder && !single) {
        m_console.Err(Format(Msg::MultipleToFile, J(), m_options.dest.c_str()));
        return kExitBadParameters;
    }
    if (m_options.security) {
        // Setting another owner needs these; without them the system may refuse.
        EnablePrivilege(SE_RESTORE_NAME);
        EnablePrivilege(SE_BACKUP_NAME);
        EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    }

    C_TreeCopier copier(CopierOptions(), m_abort, this);
    if (!toFolder) {
        const std::wstring src = JoinPath(srcDir, pattern);
        FileIdentity a, b;
        if (SamePath(src, destFull) ||
            (GetIdentity(src, a) && GetIdentity(destFull, b) && a == b)) {
            m_console.Err(Format(Msg::OntoItself, J(), m_options.source.c_str()));
            m_console.Out(Format(Msg::FilesCopied, J(), 0));
            return kExitBadParameters;
        }
        WIN32_FIND_DATAW data{};
        HANDLE h = FindFirstFileW(LongPath(src).c_str(), &data);
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
        if (!m_options.hiddenFiles &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
            m_console.Out(Format(Msg::FilesCopied, J(), 0));
            return m_options.structureOnly ? kExitCopied : kExitNothing;
        }
        m_destFile = destFull;
        m_destDir = ParentPath(destFull);
        copier.CopyFileTo(src, destFull);
        return Finish(copier);
    }
    m_destDir = destFull;
    copier.Copy(srcDir, {destFull}, pattern);
    return Finish(copier);
}

int C_Xcopy::Finish(const C_TreeCopier& copier) {
    const TargetResult& r = copier.Results().front();
    if (m_abort.load()) {
        m_console.Err(Text(Msg::Interrupted, J()));
        m_console.Out(Format(Msg::FilesCopied, J(), r.files));
        return kExitInterrupted;
    }
    if (r.failure.kind == FailureKind::kCyclic) {
        m_console.Out(Format(Msg::FilesCopied, J(), 0));
        return kExitBadParameters;
    }
    m_console.Out(Format(m_options.listOnly ? Msg::FilesFound : Msg::FilesCopied, J(), r.files));
    if (m_bErrors)
        return kExitWriteError;
    // With /T the folders are the work asked for: no file copied is the expected outcome.
    return r.files || m_options.structureOnly ? kExitCopied : kExitNothing;
}

} // namespace xcopy
