#include "tools/xcopy/C_Xcopy.h"

#include "tools/xcopy/xcopy_messages.h"
#include "tools/xcopy/xcopy_path.h"

#include <algorithm>

namespace xcopy {

namespace {

const DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
const size_t kBufferSize = 1 << 20;
// What /O copies: owner, group and access list.
const SECURITY_INFORMATION kSecurityParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

bool HasWildcard(const std::wstring& name) {
    return name.find_first_of(L"*?") != std::wstring::npos;
}

// Closes a handle when it goes out of scope.
class C_Handle {
public:
    explicit C_Handle(HANDLE h) : m_h(h) {}
    virtual ~C_Handle() { Close(); }
    C_Handle(const C_Handle&) = delete;
    C_Handle& operator=(const C_Handle&) = delete;
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h) {
        Close();
        m_h = h;
    }
    bool Valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
    bool Close() {
        bool ok = true;
        if (Valid())
            ok = CloseHandle(m_h) != 0;
        m_h = nullptr;
        return ok;
    }

private:
    HANDLE m_h;
};

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

C_Xcopy::C_Xcopy(const Options& options, C_Console& console, const std::atomic<bool>& abort)
    : m_options(options), m_console(console), m_abort(abort) {
    m_bOverwriteAll = m_options.overwrite == 1;
}

C_Xcopy::~C_Xcopy() = default;

void C_Xcopy::Fail(const std::wstring& path, DWORD error) {
    FailText(Format(Msg::FileError, J(), path.c_str(), ErrorText(error, J()).c_str()));
}

void C_Xcopy::FailText(const std::wstring& text) {
    m_console.Err(text);
    m_bErrors = true;
    if (!m_options.keepGoing)
        m_bStop = true;
}

int C_Xcopy::Run() {
    if (m_options.help) {
        m_console.Out(Text(Msg::Usage, J()));
        return kExitCopied;
    }
    try {
        m_buffer.resize(kBufferSize);
    } catch (...) {
        m_console.Err(ErrorText(ERROR_NOT_ENOUGH_MEMORY, J()));
        return kExitBadParameters;
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
    const std::wstring displayDir =
        TypedFolder(m_options.source, pattern == L"*" && !HasWildcard(last));

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
            (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            return Finish();
        CopyOneFile(src, destFull, JoinPath(displayDir, pattern), data, false);
        return Finish();
    }

    // Copying a folder into itself would never end. Names alone miss a target reached through
    // a link, a junction or another drive letter, so the identities are compared too.
    if (m_options.subdirs && IsFolderSameOrInside(destFull, srcDir)) {
        m_console.Err(Text(Msg::CyclicCopy, J()));
        m_console.Out(Format(Msg::FilesCopied, J(), 0));
        return kExitBadParameters;
    }
    {
        FileIdentity a, b;
        m_bOntoItself = SamePath(srcDir, destFull) ||
                        (GetIdentity(srcDir, a) && GetIdentity(destFull, b) && a == b);
    }
    return CopyTree(srcDir, pattern, destFull, displayDir);
}

int C_Xcopy::CopyTree(const std::wstring& srcDir, const std::wstring& pattern,
                      const std::wstring& dstDir, const std::wstring& displayDir) {
    // An explicit stack: the depth of a tree is bounded by path length, not by the thread stack.
    Frame root;
    root.src = srcDir;
    root.dst = dstDir;
    root.display = displayDir;
    root.isRoot = true;
    root.hasId = GetIdentity(srcDir, root.id);
    m_stack.push_back(std::move(root));
    EnterFolder(m_stack.back(), pattern);
    while (!m_stack.empty()) {
        Frame& top = m_stack.back();
        if (!Stopped() && !top.failed && top.next < top.subdirs.size()) {
            const Entry& e = top.subdirs[top.next++];
            if (Clashes(e, JoinPath(top.display, e.name)))
                continue;
            Frame child;
            child.src = JoinPath(top.src, e.name);
            child.dst = JoinPath(top.dst, e.name);
            child.display = JoinPath(top.display, e.name);
            child.self = e.data;
            // A link back to a folder being copied (a Unix symlink looks like a plain folder
            // under Wine) would repeat the tree until the path length gives out.
            child.hasId = GetIdentity(child.src, child.id);
            if (child.hasId && std::any_of(m_stack.begin(), m_stack.end(), [&](const Frame& f) {
                    return f.hasId && f.id == child.id;
                })) {
                FailText(
                    Format(Msg::FileError, J(), child.display.c_str(), Text(Msg::CyclicCopy, J())));
                continue;
            }
            m_stack.push_back(std::move(child));
            EnterFolder(m_stack.back(), pattern);
            continue;
        }
        LeaveFolder(top);
        m_stack.pop_back();
    }
    return Finish();
}

void C_Xcopy::EnterFolder(Frame& frame, const std::wstring& pattern) {
    if (m_options.emptyDirs && !m_options.listOnly && !EnsureFolders())
        return;
    std::vector<Entry> files;
    // One listing gives both when every name is wanted.
    const bool both = m_options.subdirs && pattern == L"*";
    if (!List(frame.src, pattern, &files, both ? &frame.subdirs : nullptr))
        return;
    if (m_options.structureOnly) {
        // Folders only: without /E a folder is made where a file would have been copied.
        if (!files.empty() && !m_options.listOnly)
            EnsureFolders();
        files.clear();
    }
    for (const auto& f : files) {
        if (Stopped() || frame.failed)
            return;
        if (Clashes(f, JoinPath(frame.display, f.name)))
            continue;
        CopyOneFile(JoinPath(frame.src, f.name), JoinPath(frame.dst, f.name),
                    JoinPath(frame.display, f.name), f.data, frame.fresh);
    }
    if (m_options.subdirs && !both && !Stopped())
        List(frame.src, L"*", nullptr, &frame.subdirs);
}

void C_Xcopy::LeaveFolder(Frame& frame) {
    // Folders made by this run take the source folder's times and attributes, set last
    // because copying into a folder changes its time and a read-only folder refuses files.
    if (!frame.made || frame.isRoot)
        return;
    const std::wstring longDst = LongPath(frame.dst);
    if (m_options.security && !m_abort.load()) {
        DWORD err = CopySecurity(frame.src, frame.dst);
        if (err)
            FailText(Format(Msg::SecurityFailed, J(), frame.dst.c_str()) + L" (" +
                     ErrorText(err, J()) + L")");
    }
    {
        C_Handle h(CreateFileW(longDst.c_str(), FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (h.Valid())
            SetFileTime(h.Get(), &frame.self.ftCreationTime, &frame.self.ftLastAccessTime,
                        &frame.self.ftLastWriteTime);
    }
    DWORD attributes = frame.self.dwFileAttributes & kCopiedAttributes;
    if (!m_options.keepAttributes)
        attributes &= ~FILE_ATTRIBUTE_READONLY;
    if (attributes)
        SetFileAttributesW(longDst.c_str(), attributes);
}

bool C_Xcopy::EnsureFolders() {
    for (auto& f : m_stack) {
        if (f.failed)
            return false;
        if (f.exists)
            continue;
        const std::wstring longDst = LongPath(f.dst);
        if (f.isRoot) {
            f.fresh = GetFileAttributesW(longDst.c_str()) == INVALID_FILE_ATTRIBUTES;
            f.exists = CreateFolderTree(f.dst);
        } else if (CreateDirectoryW(longDst.c_str(), nullptr)) {
            f.exists = f.made = f.fresh = true;
        } else {
            DWORD a = GetFileAttributesW(longDst.c_str());
            f.exists = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
        }
        if (!f.exists) {
            f.failed = true;
            FailText(Format(Msg::CannotMakeDir, J(), f.dst.c_str()));
            return false;
        }
    }
    return true;
}

bool C_Xcopy::List(const std::wstring& dir, const std::wstring& pattern, std::vector<Entry>* files,
                   std::vector<Entry>* folders) {
    for (auto* out : {files, folders})
        if (out)
            out->clear();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(LongPath(JoinPath(dir, pattern)).c_str(), FindExInfoBasic, &data,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES)
            return true;
        Fail(dir, err);
        return false;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::vector<Entry>* out =
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files;
        if (!out)
            continue;
        // Without /H hidden and system entries (files and folders) stay behind.
        if (!m_options.hiddenFiles &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        out->push_back(Entry{name, data, false});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    // The listing order of the file system is arbitrary under some systems: sort for a stable
    // file list. Names that differ only in case (a case-sensitive folder) end up side by side,
    // the upper-case one first; the target takes them as one name, so only the first is copied.
    for (auto* out : {files, folders}) {
        if (!out)
            continue;
        std::sort(out->begin(), out->end(), [](const Entry& a, const Entry& b) {
            int c = CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE);
            if (c == CSTR_EQUAL)
                c = CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, FALSE);
            return c == CSTR_LESS_THAN;
        });
        for (size_t i = 1; i < out->size(); ++i)
            (*out)[i].clash = CompareStringOrdinal((*out)[i - 1].name.c_str(), -1,
                                                   (*out)[i].name.c_str(), -1, TRUE) == CSTR_EQUAL;
    }
    return true;
}

bool C_Xcopy::Clashes(const Entry& e, const std::wstring& display) {
    if (!e.clash)
        return false;
    // Never written over the file or folder of that name just copied: reported as not copied.
    FailText(Format(Msg::CaseClash, J(), display.c_str()));
    return true;
}

void C_Xcopy::CopyOneFile(const std::wstring& src, const std::wstring& dst,
                          const std::wstring& display, const WIN32_FIND_DATAW& data, bool fresh) {
    if (SamePath(src, dst) || (m_bOntoItself && m_stack.size() == 1)) {
        FailText(Format(Msg::OntoItself, J(), display.c_str()));
        return;
    }
    if (m_options.listOnly) {
        m_console.Out(m_options.fullNames ? src + L" -> " + dst : display);
        ++m_nCopied;
        return;
    }
    if (!m_stack.empty() && !EnsureFolders())
        return;
    const std::wstring longDst = LongPath(dst);
    bool listed = false;
    // In a folder this run created nothing can be in the way, so the look-up is skipped; the
    // copy is then created as new, and a clash (names differing only in case) goes round again.
    for (bool lookUp = !fresh;; lookUp = true) {
        DWORD existing = INVALID_FILE_ATTRIBUTES;
        if (lookUp)
            existing = GetFileAttributesW(longDst.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES) {
            if (existing & FILE_ATTRIBUTE_DIRECTORY) {
                Fail(dst, ERROR_ACCESS_DENIED);
                return;
            }
            if (!m_bOverwriteAll) {
                wchar_t answer = m_console.Ask(Format(Msg::Overwrite, J(), dst.c_str()), L"YNA");
                if (answer == L'A')
                    m_bOverwriteAll = true;
                else if (answer != L'Y')
                    return;
            }
        }
        if (Stopped())
            return;
        if (!m_options.quiet && !listed)
            m_console.Out(m_options.fullNames ? src + L" -> " + dst : display);
        listed = true;
        DWORD err = CopyData(src, dst, existing, data, !lookUp);
        if (!lookUp && err == ERROR_FILE_EXISTS)
            continue;
        if (err) {
            if (err == ERROR_OPERATION_ABORTED && m_abort.load())
                return;
            Fail(src, err);
            return;
        }
        ++m_nCopied;
        return;
    }
}

DWORD C_Xcopy::CopyData(const std::wstring& src, const std::wstring& dst, DWORD existing,
                        const WIN32_FIND_DATAW& data, bool mustBeNew) {
    const std::wstring longSrc = LongPath(src);
    const std::wstring longDst = LongPath(dst);
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if ((existing & FILE_ATTRIBUTE_READONLY) && !m_options.readOnlyToo)
            return ERROR_ACCESS_DENIED;
        // A hidden, system or read-only target cannot be replaced while it carries them.
        if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            SetFileAttributesW(longDst.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // GENERIC_READ carries READ_CONTROL: /O reads the security through this handle.
    C_Handle in(CreateFileW(longSrc.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.Valid())
        return GetLastError();
    DWORD keep = data.dwFileAttributes & kCopiedAttributes;
    if (!m_options.keepAttributes)
        keep &= ~FILE_ATTRIBUTE_READONLY;
    // Hidden and system are given at creation; read-only only after the contents are in.
    DWORD createWith = keep & ~FILE_ATTRIBUTE_READONLY;
    const DWORD flags =
        (createWith ? createWith : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN;
    const DWORD access = GENERIC_WRITE | FILE_WRITE_ATTRIBUTES;
    const DWORD disposition = mustBeNew ? CREATE_NEW : CREATE_ALWAYS;
    // With /O the owner and access list are read through the source's handle and a new copy is
    // created with them; a copy that replaces a file gets them through its own handle. By name
    // each would cost opens and closes more, which under Wine doubles the time per file.
    DWORD secErr = 0;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    if (m_options.security) {
        secErr = ReadSecurity(in.Get());
        if (!secErr)
            sa.lpSecurityDescriptor = m_security.data();
    }
    DWORD securityAccess = sa.lpSecurityDescriptor ? WRITE_DAC | WRITE_OWNER : 0;
    // The copy's access list may deny its deletion: a failed copy is then deleted through the
    // handle, which was granted that at creation.
    DWORD deleteAccess = sa.lpSecurityDescriptor ? DELETE : 0;
    C_Handle out(CreateFileW(longDst.c_str(), access | securityAccess | deleteAccess, 0,
                             sa.lpSecurityDescriptor ? &sa : nullptr, disposition, flags, nullptr));
    bool securityPending =
        sa.lpSecurityDescriptor && (!out.Valid() || GetLastError() == ERROR_ALREADY_EXISTS);
    if (!out.Valid() && sa.lpSecurityDescriptor && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        // The system may refuse that owner at creation: then set afterwards, as far as it lets.
        deleteAccess = 0;
        out.Reset(CreateFileW(longDst.c_str(), access | securityAccess, 0, nullptr, disposition,
                              flags, nullptr));
        if (!out.Valid() && GetLastError() == ERROR_ACCESS_DENIED) {
            securityAccess = 0; // an existing target may refuse a new owner
            out.Reset(
                CreateFileW(longDst.c_str(), access, 0, nullptr, disposition, flags, nullptr));
        }
    }
    if (!out.Valid()) {
        DWORD err = GetLastError();
        return err == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : err;
    }
    DWORD err = 0;
    for (;;) {
        if (m_abort.load()) {
            err = ERROR_OPERATION_ABORTED;
            break;
        }
        DWORD got = 0;
        if (!ReadFile(in.Get(), m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got,
                      nullptr)) {
            err = GetLastError();
            break;
        }
        if (!got)
            break;
        DWORD put = 0;
        if (!WriteFile(out.Get(), m_buffer.data(), got, &put, nullptr)) {
            err = GetLastError();
            break;
        }
        if (put != got) {
            err = ERROR_DISK_FULL;
            break;
        }
        // A short read of a disk file is its end; saves a read per small file.
        if (got < m_buffer.size())
            break;
    }
    if (!err && securityPending && securityAccess &&
        !SetKernelObjectSecurity(out.Get(), kSecurityParts, m_security.data()))
        secErr = GetLastError();
    if (!err) {
        // Times and attributes in one call. Setting the security may have changed the
        // read-only state (Wine maps the access list to the file's mode), so then the
        // attributes are set again; otherwise only when read-only is still to come.
        FILE_BASIC_INFO basic{};
        basic.CreationTime.LowPart = data.ftCreationTime.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(data.ftCreationTime.dwHighDateTime);
        basic.LastAccessTime.LowPart = data.ftLastAccessTime.dwLowDateTime;
        basic.LastAccessTime.HighPart = static_cast<LONG>(data.ftLastAccessTime.dwHighDateTime);
        basic.LastWriteTime.LowPart = data.ftLastWriteTime.dwLowDateTime;
        basic.LastWriteTime.HighPart = static_cast<LONG>(data.ftLastWriteTime.dwHighDateTime);
        if (keep != createWith || m_options.security)
            basic.FileAttributes = keep ? keep : FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(out.Get(), FileBasicInfo, &basic, sizeof basic))
            err = GetLastError();
    }
    if (err && deleteAccess) {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(out.Get(), FileDispositionInfo, &gone, sizeof gone);
    }
    if (!out.Close() && !err)
        err = GetLastError();
    const bool byName = securityPending && !securityAccess;
    if (!err && byName)
        secErr = CopySecurity(src, dst);
    in.Close();
    if (err) {
        // No half-written copy is left behind under the source's name.
        if (!DeleteFileW(longDst.c_str()) &&
            SetFileAttributesW(longDst.c_str(), FILE_ATTRIBUTE_NORMAL))
            DeleteFileW(longDst.c_str()); // it had become read-only already
        return err;
    }
    if (secErr)
        FailText(Format(Msg::SecurityFailed, J(), dst.c_str()) + L" (" + ErrorText(secErr, J()) +
                 L")");
    if (byName && !SetFileAttributesW(longDst.c_str(), keep))
        return GetLastError();
    return 0;
}

DWORD C_Xcopy::CopySecurity(const std::wstring& src, const std::wstring& dst) {
    const SECURITY_INFORMATION what = kSecurityParts;
    const std::wstring longSrc = LongPath(src);
    DWORD need = 0;
    GetFileSecurityW(longSrc.c_str(), what, nullptr, 0, &need);
    if (!need)
        return GetLastError() ? GetLastError() : ERROR_NOT_SUPPORTED;
    std::vector<BYTE> sd(need);
    if (!GetFileSecurityW(longSrc.c_str(), what, sd.data(), need, &need))
        return GetLastError();
    if (!SetFileSecurityW(LongPath(dst).c_str(), what, sd.data()))
        return GetLastError();
    return 0;
}

DWORD C_Xcopy::ReadSecurity(HANDLE src) {
    if (m_security.empty())
        m_security.resize(4096);
    DWORD need = 0;
    while (!GetKernelObjectSecurity(src, kSecurityParts, m_security.data(),
                                    static_cast<DWORD>(m_security.size()), &need)) {
        const DWORD err = GetLastError();
        if (err != ERROR_INSUFFICIENT_BUFFER || need <= m_security.size())
            return err;
        m_security.resize(need);
    }
    return 0;
}

int C_Xcopy::Finish() {
    if (m_abort.load()) {
        m_console.Err(Text(Msg::Interrupted, J()));
        m_console.Out(Format(Msg::FilesCopied, J(), m_nCopied));
        return kExitInterrupted;
    }
    m_console.Out(Format(m_options.listOnly ? Msg::FilesFound : Msg::FilesCopied, J(), m_nCopied));
    if (m_bErrors)
        return kExitWriteError;
    // With /T the folders are the work asked for: no file copied is the expected outcome.
    return m_nCopied || m_options.structureOnly ? kExitCopied : kExitNothing;
}

} // namespace xcopy
