#include "copier/C_TreeCopier.h"

#include <algorithm>

namespace copier {

namespace {

// Only memory can run out inside a copy: what was written stays reported as far as it got.
void MarkOutOfMemory(std::vector<TargetResult>& results) {
    for (auto& r : results)
        if (r.failure.kind == FailureKind::kNone)
            r.failure.kind = FailureKind::kOutOfMemory;
}

const SECURITY_INFORMATION kSecurityParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

unsigned Bit(int t) {
    return 1u << t;
}

int Single(unsigned mask) {
    for (int t = 0; t < C_TreeCopier::kMaxTargets; ++t)
        if (mask == Bit(t))
            return t;
    return kAllTargets;
}

// True when the open file carries more than its one unnamed data stream: alternate data
// streams (the mark of a download among them) that only CopyFileExW takes along.
bool HasNamedStreams(HANDLE file) {
    alignas(8) BYTE buffer[4096];
    if (!GetFileInformationByHandleEx(file, FileStreamInfo, buffer, sizeof buffer))
        return GetLastError() == ERROR_MORE_DATA; // no room for the list: many streams
    const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(buffer);
    if (info->NextEntryOffset)
        return true;
    static const wchar_t kDefault[] = L"::$DATA";
    return info->StreamNameLength != sizeof kDefault - sizeof(wchar_t) ||
           CompareStringOrdinal(info->StreamName, info->StreamNameLength / 2, kDefault, -1, TRUE) !=
               CSTR_EQUAL;
}

// What CopyFileExW hands back while it copies: bytes for the counts, and the abort.
struct WholeCopy {
    const std::atomic<int>* abort;
    std::atomic<unsigned long long>* bytes;
    unsigned long long* targetBytes;
    unsigned long long done;
};

DWORD CALLBACK OnWholeProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER,
                               LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
    auto* copy = static_cast<WholeCopy*>(data);
    const auto now = static_cast<unsigned long long>(transferred.QuadPart);
    if (now > copy->done) {
        copy->bytes->fetch_add(now - copy->done);
        *copy->targetBytes += now - copy->done;
        copy->done = now;
    }
    return copy->abort->load() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

} // namespace

C_TreeCopier::C_TreeCopier(const CopyOptions& options, const std::atomic<int>& abort,
                           I_CopyObserver* observer)
    : m_options(options), m_abort(abort), m_pObserver(observer) {
    if (m_options.writers < 1)
        m_options.writers = 1;
    if (m_options.writers > kMaxTargets)
        m_options.writers = kMaxTargets;
    if (m_options.emptyDirs || m_options.structureOnly)
        m_options.subdirs = true;
}

C_TreeCopier::~C_TreeCopier() = default;

CopyOutcome C_TreeCopier::Begin(size_t targets) {
    m_results.assign(targets, TargetResult());
    m_stack.clear();
    m_live = targets >= 32 ? 0 : (1u << targets) - 1;
    m_ontoItself = 0;
    m_bStop = false;
    m_bOverwriteAll = !m_options.askOverwrite;
    m_nBytes.store(0);
    m_nFiles.store(0);
    m_dwLastTick = GetTickCount();
    if (targets == 0 || targets > static_cast<size_t>(kMaxTargets)) {
        for (auto& r : m_results)
            r.failure.kind = FailureKind::kBadSource;
        m_live = 0;
        return CopyOutcome::kFailures;
    }
    try {
        for (auto& b : m_buffers)
            b.resize(m_options.listOnly || m_options.structureOnly ? 0 : kChunk);
    } catch (...) {
        for (auto& r : m_results)
            r.failure.kind = FailureKind::kOutOfMemory;
        m_live = 0;
        return CopyOutcome::kFailures;
    }
    m_pool.Start(m_options.writers, static_cast<int>(targets));
    return CopyOutcome::kDone;
}

CopyOutcome C_TreeCopier::End() {
    m_pool.Wait();
    m_stack.clear();
    bool failures = false;
    for (auto& r : m_results) {
        if (Aborted() && r.failure.kind == FailureKind::kNone)
            r.failure.kind = FailureKind::kInterrupted;
        r.whole = r.failure.kind == FailureKind::kNone;
        failures = failures || !r.whole;
    }
    Tick(true);
    if (Aborted())
        return CopyOutcome::kAborted;
    return failures ? CopyOutcome::kFailures : CopyOutcome::kDone;
}

CopyOutcome C_TreeCopier::Copy(const std::wstring& sourceDir,
                               const std::vector<std::wstring>& targets,
                               const std::wstring& pattern) {
    try {
        if (Begin(targets.size()) != CopyOutcome::kDone)
            return CopyOutcome::kFailures;
        m_srcDir = sourceDir;
        m_targets = targets;
        const DWORD a = GetFileAttributesW(LongPath(sourceDir).c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) {
            Fail(FailureKind::kBadSource, m_live, L"",
                 a == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
            m_live = 0;
            return End();
        }
        FileIdentity source;
        const bool sourceKnown = GetIdentity(sourceDir, source);
        for (int t = 0; t < static_cast<int>(targets.size()); ++t) {
            // Copying a folder into itself would never end. Names alone miss a target reached
            // through a link, a junction or another drive letter, so identities count too.
            if (m_options.subdirs && IsFolderSameOrInside(targets[t], sourceDir)) {
                Fail(FailureKind::kCyclic, Bit(t), L"");
                m_live &= ~Bit(t);
                continue;
            }
            FileIdentity id;
            if (SamePath(sourceDir, targets[t]) ||
                (sourceKnown && GetIdentity(targets[t], id) && id == source))
                m_ontoItself |= Bit(t);
        }
        if (m_live)
            Walk(pattern);
        return End();
    } catch (...) {
        MarkOutOfMemory(m_results);
        return End();
    }
}

CopyOutcome C_TreeCopier::CopyFileTo(const std::wstring& sourceFile,
                                     const std::wstring& targetFile) {
    try {
        if (Begin(1) != CopyOutcome::kDone)
            return CopyOutcome::kFailures;
        m_srcDir = ParentPath(sourceFile);
        m_targets.assign(1, ParentPath(targetFile));
        const std::wstring rel = LastName(sourceFile);
        if (SamePath(sourceFile, targetFile)) {
            Fail(FailureKind::kOntoItself, 1, rel);
            return End();
        }
        WIN32_FIND_DATAW data{};
        HANDLE h = FindFirstFileW(LongPath(sourceFile).c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) {
            Fail(FailureKind::kFile, 1, rel, GetLastError());
            return End();
        }
        FindClose(h);
        CopyOne(rel, sourceFile, data, 1, &targetFile);
        return End();
    } catch (...) {
        MarkOutOfMemory(m_results);
        return End();
    }
}

void C_TreeCopier::Fail(FailureKind kind, unsigned mask, const std::wstring& rel, DWORD error) {
    CopyFailure f;
    f.kind = kind;
    f.target = Single(mask);
    f.path = rel;
    f.error = error;
    for (size_t t = 0; t < m_results.size(); ++t)
        if ((mask & Bit(static_cast<int>(t))) && m_results[t].failure.kind == FailureKind::kNone) {
            m_results[t].failure = f;
            m_results[t].failure.target = static_cast<int>(t);
        }
    if (m_pObserver)
        m_pObserver->Failed(f);
    if (!m_options.keepGoing)
        m_bStop = true;
}

void C_TreeCopier::Tick(bool force) {
    if (!m_pObserver)
        return;
    const DWORD now = GetTickCount();
    if (!force && now - m_dwLastTick < m_options.progressMs)
        return;
    m_dwLastTick = now;
    CopyCounts counts;
    counts.bytes = m_nBytes.load();
    counts.files = m_nFiles.load();
    m_pObserver->Progress(counts);
}

void C_TreeCopier::Walk(const std::wstring& pattern) {
    // An explicit stack: the depth of a tree is bounded by path length, not by the thread stack.
    Frame root;
    root.isRoot = true;
    root.hasId = GetIdentity(m_srcDir, root.id);
    m_stack.push_back(std::move(root));
    EnterFolder(m_stack.back(), pattern);
    while (!m_stack.empty()) {
        Frame& top = m_stack.back();
        bool open = false; // some target can still take what lies below
        for (int t = 0; t < kMaxTargets; ++t)
            if ((m_live & Bit(t)) && !top.t[t].failed)
                open = true;
        if (!Stopped() && open && top.next < top.subdirs.size()) {
            const Entry& e = top.subdirs[top.next++];
            const std::wstring rel = JoinPath(top.rel, e.name);
            if (Clashes(e, rel))
                continue;
            Frame child;
            child.rel = rel;
            child.self = e.data;
            // A link back to a folder being copied (a Unix symlink looks like a plain folder
            // under Wine) would repeat the tree until the path length gives out.
            child.hasId = GetIdentity(SourcePath(rel), child.id);
            if (child.hasId && std::any_of(m_stack.begin(), m_stack.end(), [&](const Frame& f) {
                    return f.hasId && f.id == child.id;
                })) {
                Fail(FailureKind::kLoop, m_live, rel);
                continue;
            }
            m_stack.push_back(std::move(child));
            EnterFolder(m_stack.back(), pattern);
            continue;
        }
        LeaveFolder(top);
        m_stack.pop_back();
    }
}

void C_TreeCopier::EnterFolder(Frame& frame, const std::wstring& pattern) {
    if (Aborted())
        return;
    if (m_options.emptyDirs && !m_options.listOnly && !EnsureFolders(m_live))
        return;
    std::vector<Entry> files;
    // One listing gives both when every name is wanted.
    const bool both = m_options.subdirs && pattern == L"*";
    if (!List(frame.rel, pattern, &files, both ? &frame.subdirs : nullptr))
        return;
    if (m_options.structureOnly) {
        // Folders only: without /E a folder is made where a file would have been copied.
        if (!files.empty() && !m_options.listOnly)
            EnsureFolders(m_live);
        files.clear();
    }
    for (const auto& f : files) {
        if (Stopped())
            return;
        const std::wstring rel = JoinPath(frame.rel, f.name);
        if (Clashes(f, rel))
            continue;
        CopyOne(rel, SourcePath(rel), f.data, m_live, nullptr);
    }
    if (m_options.subdirs && !both && !Stopped())
        List(frame.rel, L"*", nullptr, &frame.subdirs);
}

void C_TreeCopier::LeaveFolder(Frame& frame) {
    // Folders made by this run take the source folder's attributes (and times when asked),
    // set last because copying into a folder changes its time and a read-only folder refuses
    // files. After an abort nothing more is written.
    if (frame.isRoot || Aborted())
        return;
    bool securityRead = false;
    DWORD securityError = 0;
    for (int t = 0; t < static_cast<int>(m_targets.size()); ++t) {
        if (!(m_live & Bit(t)) || !frame.t[t].made)
            continue;
        const std::wstring longDst = LongPath(TargetPath(t, frame.rel));
        if (m_options.security) {
            if (!securityRead) {
                securityError = ReadSecurityByName(SourcePath(frame.rel));
                securityRead = true;
            }
            DWORD err = securityError;
            if (!err && !SetFileSecurityW(longDst.c_str(), kSecurityParts, m_security.data()))
                err = GetLastError();
            if (err)
                Fail(FailureKind::kSecurity, Bit(t), frame.rel, err);
        }
        if (m_options.folderTimes) {
            HANDLE h = CreateFileW(longDst.c_str(), FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                SetFileTime(h, &frame.self.ftCreationTime, &frame.self.ftLastAccessTime,
                            &frame.self.ftLastWriteTime);
                CloseHandle(h);
            }
        }
        const DWORD attributes =
            C_TargetFile::KeptAttributes(frame.self.dwFileAttributes, m_options.keepAttributes);
        if (attributes)
            SetFileAttributesW(longDst.c_str(), attributes);
    }
}

unsigned C_TreeCopier::EnsureFolders(unsigned want) {
    unsigned ready = 0;
    for (int t = 0; t < static_cast<int>(m_targets.size()); ++t) {
        if (!(want & Bit(t)))
            continue;
        bool ok = true;
        for (auto& f : m_stack) {
            TargetFolder& tf = f.t[t];
            if (tf.failed || Aborted()) {
                ok = false;
                break;
            }
            if (tf.exists)
                continue;
            const std::wstring dst = TargetPath(t, f.rel);
            const std::wstring longDst = LongPath(dst);
            if (f.isRoot) {
                tf.fresh = GetFileAttributesW(longDst.c_str()) == INVALID_FILE_ATTRIBUTES;
                tf.exists = CreateFolderTree(dst);
            } else if (CreateDirectoryW(longDst.c_str(), nullptr)) {
                tf.exists = tf.made = tf.fresh = true;
            } else {
                const DWORD a = GetFileAttributesW(longDst.c_str());
                tf.exists = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
            }
            if (!tf.exists) {
                tf.failed = true;
                Fail(FailureKind::kMakeFolder, Bit(t), f.rel, GetLastError());
                ok = false;
                break;
            }
        }
        if (ok)
            ready |= Bit(t);
    }
    return ready;
}

bool C_TreeCopier::List(const std::wstring& rel, const std::wstring& pattern,
                        std::vector<Entry>* files, std::vector<Entry>* folders) {
    for (auto* out : {files, folders})
        if (out)
            out->clear();
    WIN32_FIND_DATAW data;
    HANDLE h =
        FindFirstFileExW(LongPath(JoinPath(SourcePath(rel), pattern)).c_str(), FindExInfoBasic,
                         &data, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES)
            return true;
        Fail(FailureKind::kListFolder, m_live, rel, err);
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
        // Without hiddenFiles hidden and system entries (files and folders) stay behind.
        if (!m_options.hiddenFiles &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        out->push_back(Entry{name, data, false});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    // The listing order of the file system is arbitrary under some systems: sort for a stable
    // order. Names that differ only in case (a case-sensitive folder) end up side by side,
    // the upper-case one first; a target takes them as one name, so only the first is copied.
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

bool C_TreeCopier::Clashes(const Entry& e, const std::wstring& rel) {
    if (!e.clash)
        return false;
    // Never written over the file or folder of that name just copied: reported as not copied.
    Fail(FailureKind::kCaseClash, m_live, rel);
    return true;
}

void C_TreeCopier::CopyOne(const std::wstring& rel, const std::wstring& srcPath,
                           const WIN32_FIND_DATAW& data, unsigned mask,
                           const std::wstring* targetFile) {
    for (int t = 0; t < static_cast<int>(m_targets.size()); ++t) {
        if (!(mask & Bit(t)))
            continue;
        const std::wstring dst = targetFile ? *targetFile : TargetPath(t, rel);
        if (SamePath(srcPath, dst) || ((m_ontoItself & Bit(t)) && m_stack.size() == 1)) {
            Fail(FailureKind::kOntoItself, Bit(t), rel);
            mask &= ~Bit(t);
            continue;
        }
        m_slots[t].path = LongPath(dst);
    }
    if (!mask)
        return;
    if (m_options.listOnly) {
        if (m_pObserver)
            m_pObserver->FileStarting(rel);
        for (int t = 0; t < static_cast<int>(m_targets.size()); ++t)
            if (mask & Bit(t)) {
                ++m_results[static_cast<size_t>(t)].files;
                m_nFiles.fetch_add(1);
            }
        return;
    }
    unsigned fresh = 0;
    if (!m_stack.empty()) {
        mask = EnsureFolders(mask);
        for (int t = 0; t < kMaxTargets; ++t)
            if (m_stack.back().t[t].fresh)
                fresh |= Bit(t);
    }
    if (!mask)
        return;
    for (int t = 0; t < static_cast<int>(m_targets.size()); ++t) {
        if (!(mask & Bit(t)))
            continue;
        Slot& s = m_slots[t];
        s.error = s.securityError = 0;
        s.onTarget = false;
        s.existing = INVALID_FILE_ATTRIBUTES;
        // In a folder this run created nothing can be in the way, so the look-up is skipped
        // and the copy is created as new; a clash (names differing only in case) shows then.
        s.mustBeNew = (fresh & Bit(t)) && !m_options.askOverwrite;
        s.lookUp = !s.mustBeNew;
        if (!m_options.askOverwrite)
            continue;
        s.existing = GetFileAttributesW(s.path.c_str());
        s.lookUp = false;
        if (s.existing == INVALID_FILE_ATTRIBUTES || (s.existing & FILE_ATTRIBUTE_DIRECTORY) ||
            m_bOverwriteAll)
            continue;
        const OverwriteAnswer answer =
            m_pObserver ? m_pObserver->AskOverwrite(t, rel) : OverwriteAnswer::kAll;
        if (answer == OverwriteAnswer::kAll)
            m_bOverwriteAll = true;
        else if (answer != OverwriteAnswer::kYes)
            mask &= ~Bit(t);
    }
    if (Stopped() || !mask)
        return;
    if (m_pObserver)
        m_pObserver->FileStarting(rel);
    const unsigned long long size =
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if ((data.dwFileAttributes & (FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_ENCRYPTED)) ||
        size < m_options.wholeBelow) {
        CopyWhole(srcPath, data, mask);
    } else {
        // GENERIC_READ carries READ_CONTROL: the security is read through this handle.
        HANDLE in = CreateFileW(LongPath(srcPath).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (in == INVALID_HANDLE_VALUE) {
            Fail(FailureKind::kFile, mask, rel, GetLastError());
            return;
        }
        if (HasNamedStreams(in)) {
            CloseHandle(in);
            CopyWhole(srcPath, data, mask);
        } else {
            CopyStreamed(in, data, mask);
            CloseHandle(in);
        }
    }
    ReportSlots(rel, mask);
    Tick(false);
}

DWORD C_TreeCopier::OpenSlot(int t, const WIN32_FIND_DATAW& data, PSECURITY_DESCRIPTOR security) {
    Slot& s = m_slots[t];
    DWORD existing = s.lookUp ? GetFileAttributesW(s.path.c_str()) : s.existing;
    const DWORD keep =
        C_TargetFile::KeptAttributes(data.dwFileAttributes, m_options.keepAttributes);
    DWORD err = s.file.Open(s.path, existing, s.mustBeNew, m_options.readOnlyToo, keep, security);
    if (s.mustBeNew && err == ERROR_FILE_EXISTS) {
        existing = GetFileAttributesW(s.path.c_str());
        err = s.file.Open(s.path, existing, false, m_options.readOnlyToo, keep, security);
    }
    s.onTarget =
        err && existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY);
    return err;
}

void C_TreeCopier::CopyStreamed(HANDLE in, const WIN32_FIND_DATAW& data, unsigned mask) {
    DWORD securityError = 0;
    PSECURITY_DESCRIPTOR security = nullptr;
    if (m_options.security) {
        securityError = ReadSecurity(in);
        if (!securityError)
            security = m_security.data();
    }
    int cur = 0;
    DWORD got = 0;
    DWORD readError =
        ReadFile(in, m_buffers[cur].data(), kChunk, &got, nullptr) ? 0 : GetLastError();
    for (bool first = true;; first = false) {
        if (readError || Aborted()) {
            const DWORD reason = readError ? readError : ERROR_OPERATION_ABORTED;
            m_pool.Post(
                [this, reason](int t) {
                    Slot& s = m_slots[t];
                    s.file.Abandon();
                    if (!s.error)
                        s.error = reason;
                },
                mask);
            m_pool.Wait();
            break;
        }
        // A short read of a disk file is its end; saves a read per small file.
        const bool last = got < kChunk;
        const char* chunk = m_buffers[cur].data();
        const DWORD size = got;
        m_pool.Post(
            [this, chunk, size, first, last, &data, security](int t) {
                Slot& s = m_slots[t];
                if (first && (s.error = OpenSlot(t, data, security)) != 0)
                    return;
                if (s.error)
                    return;
                if (Aborted())
                    s.error = ERROR_OPERATION_ABORTED;
                else if (size)
                    s.error = s.file.Write(chunk, size);
                if (!s.error && last)
                    s.error = s.file.Finish(data);
                if (s.error) {
                    s.file.Abandon();
                    return;
                }
                m_results[static_cast<size_t>(t)].bytes += size;
                m_nBytes.fetch_add(size);
            },
            mask);
        if (last) {
            m_pool.Wait();
            break;
        }
        // The next chunk is read while the writers put out this one.
        cur ^= 1;
        readError = ReadFile(in, m_buffers[cur].data(), kChunk, &got, nullptr) ? 0 : GetLastError();
        m_pool.Wait();
        Tick(false);
    }
    for (int t = 0; t < kMaxTargets; ++t)
        if (mask & Bit(t))
            m_slots[t].securityError =
                securityError ? securityError : m_slots[t].file.SecurityError();
}

void C_TreeCopier::CopyWhole(const std::wstring& srcPath, const WIN32_FIND_DATAW& data,
                             unsigned mask) {
    DWORD securityError = 0;
    if (m_options.security)
        securityError = ReadSecurityByName(srcPath);
    const std::wstring longSrc = LongPath(srcPath);
    const DWORD keep =
        C_TargetFile::KeptAttributes(data.dwFileAttributes, m_options.keepAttributes);
    m_pool.Post(
        [&](int t) {
            Slot& s = m_slots[t];
            const DWORD existing = s.lookUp ? GetFileAttributesW(s.path.c_str()) : s.existing;
            s.error = C_TargetFile::PrepareExisting(s.path, existing, m_options.readOnlyToo);
            if (s.error) {
                s.onTarget =
                    existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY);
                return;
            }
            if (Aborted()) {
                s.error = ERROR_OPERATION_ABORTED;
                return;
            }
            WholeCopy progress{&m_abort, &m_nBytes, &m_results[static_cast<size_t>(t)].bytes, 0};
            // CopyFileExW removes its unfinished copy itself, a cancelled one included.
            if (!CopyFileExW(longSrc.c_str(), s.path.c_str(), OnWholeProgress, &progress, nullptr,
                             0)) {
                s.error = GetLastError();
                if (s.error == ERROR_REQUEST_ABORTED)
                    s.error = ERROR_OPERATION_ABORTED;
                return;
            }
            // Not every system calls the progress routine: the rest is counted here.
            const unsigned long long size =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            if (size > progress.done) {
                m_nBytes.fetch_add(size - progress.done);
                m_results[static_cast<size_t>(t)].bytes += size - progress.done;
            }
            if (m_options.security && !securityError &&
                !SetFileSecurityW(s.path.c_str(), kSecurityParts, m_security.data()))
                s.securityError = GetLastError();
            if (m_options.security && securityError)
                s.securityError = securityError;
            if (!SetFileAttributesW(s.path.c_str(), keep ? keep : FILE_ATTRIBUTE_NORMAL))
                s.error = GetLastError();
        },
        mask);
    m_pool.Wait();
}

void C_TreeCopier::ReportSlots(const std::wstring& rel, unsigned mask) {
    for (int t = 0; t < static_cast<int>(m_targets.size()); ++t) {
        if (!(mask & Bit(t)))
            continue;
        const Slot& s = m_slots[t];
        if (s.error) {
            if (s.error == ERROR_OPERATION_ABORTED && Aborted())
                continue;
            Fail(s.onTarget ? FailureKind::kTargetFile : FailureKind::kFile, Bit(t), rel, s.error);
            continue;
        }
        ++m_results[static_cast<size_t>(t)].files;
        m_nFiles.fetch_add(1);
        if (s.securityError)
            Fail(FailureKind::kSecurity, Bit(t), rel, s.securityError);
    }
}

DWORD C_TreeCopier::ReadSecurity(HANDLE src) {
    if (m_security.size() < 4096)
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

DWORD C_TreeCopier::ReadSecurityByName(const std::wstring& path) {
    if (m_security.size() < 4096)
        m_security.resize(4096);
    const std::wstring longPath = LongPath(path);
    DWORD need = 0;
    while (!GetFileSecurityW(longPath.c_str(), kSecurityParts, m_security.data(),
                             static_cast<DWORD>(m_security.size()), &need)) {
        const DWORD err = GetLastError();
        if (err != ERROR_INSUFFICIENT_BUFFER || need <= m_security.size())
            return err ? err : ERROR_NOT_SUPPORTED;
        m_security.resize(need);
    }
    return 0;
}

} // namespace copier
