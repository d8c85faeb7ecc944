#include "copier/C_TargetFile.h"

namespace copier {

namespace {

const DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Owner, group and access list.
const SECURITY_INFORMATION kSecurityParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

LARGE_INTEGER Large(const FILETIME& t) {
    LARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = static_cast<LONG>(t.dwHighDateTime);
    return v;
}

} // namespace

C_TargetFile::C_TargetFile() = default;

C_TargetFile::~C_TargetFile() {
    Abandon();
}

DWORD C_TargetFile::KeptAttributes(DWORD sourceAttributes, bool keepReadOnly) {
    DWORD keep = sourceAttributes & kCopiedAttributes;
    if (!keepReadOnly)
        keep &= ~FILE_ATTRIBUTE_READONLY;
    return keep;
}

DWORD C_TargetFile::PrepareExisting(const std::wstring& longPath, DWORD existing,
                                    bool readOnlyToo) {
    if (existing == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (existing & FILE_ATTRIBUTE_DIRECTORY)
        return ERROR_ACCESS_DENIED;
    if ((existing & FILE_ATTRIBUTE_READONLY) && !readOnlyToo)
        return ERROR_ACCESS_DENIED;
    // A hidden, system or read-only target cannot be replaced while it carries them.
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    return 0;
}

DWORD C_TargetFile::Open(const std::wstring& longPath, DWORD existing, bool mustBeNew,
                         bool readOnlyToo, DWORD keep, PSECURITY_DESCRIPTOR security) {
    Abandon();
    m_path = longPath;
    m_dwSecurityError = 0;
    if (DWORD err = PrepareExisting(longPath, existing, readOnlyToo))
        return err;
    m_dwKeep = keep;
    // Hidden and system are given at creation; read-only only after the contents are in.
    m_dwCreateWith = keep & ~FILE_ATTRIBUTE_READONLY;
    const DWORD flags =
        (m_dwCreateWith ? m_dwCreateWith : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN;
    const DWORD access = GENERIC_WRITE | FILE_WRITE_ATTRIBUTES;
    const DWORD disposition = mustBeNew ? CREATE_NEW : CREATE_ALWAYS;
    // A new copy is created with the source's owner and access list; one that replaces a file
    // gets them through its own handle. By name each would cost opens and closes more.
    m_pSecurity = security;
    SECURITY_ATTRIBUTES sa{sizeof sa, security, FALSE};
    DWORD securityAccess = security ? WRITE_DAC | WRITE_OWNER : 0;
    // Deletion through the handle: an abort or a failure removes the copy even when its access
    // list (the source's) would deny that by name.
    DWORD deleteAccess = DELETE;
    m_hFile = CreateFileW(longPath.c_str(), access | securityAccess | deleteAccess, 0,
                          security ? &sa : nullptr, disposition, flags, nullptr);
    DWORD err = GetLastError();
    m_bSecurityPending = security && (!IsOpen() || err == ERROR_ALREADY_EXISTS);
    if (!IsOpen() && err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) {
        // The system may refuse that owner at creation, or deletion of an existing file:
        // then without, and the security is set afterwards as far as it lets.
        deleteAccess = 0;
        m_hFile = CreateFileW(longPath.c_str(), access | securityAccess, 0, nullptr, disposition,
                              flags, nullptr);
        if (!IsOpen() && GetLastError() == ERROR_ACCESS_DENIED && securityAccess) {
            securityAccess = 0; // an existing target may refuse a new owner
            m_hFile =
                CreateFileW(longPath.c_str(), access, 0, nullptr, disposition, flags, nullptr);
        }
        err = GetLastError();
    }
    if (!IsOpen())
        return err == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : err;
    m_bSecurityAccess = securityAccess != 0;
    m_bDeleteAccess = deleteAccess != 0;
    return 0;
}

DWORD C_TargetFile::Write(const void* data, DWORD size) {
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    DWORD put = 0;
    if (!WriteFile(m_hFile, data, size, &put, nullptr))
        return GetLastError();
    return put == size ? 0 : ERROR_DISK_FULL;
}

DWORD C_TargetFile::Finish(const WIN32_FIND_DATAW& source) {
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    DWORD err = 0;
    if (m_bSecurityPending && m_bSecurityAccess &&
        !SetKernelObjectSecurity(m_hFile, kSecurityParts, m_pSecurity))
        m_dwSecurityError = GetLastError();
    // Times and attributes in one call. Setting the security may have changed the read-only
    // state (Wine maps the access list to the file's mode), so then the attributes are set
    // again; otherwise only when read-only is still to come.
    FILE_BASIC_INFO basic{};
    basic.CreationTime = Large(source.ftCreationTime);
    basic.LastAccessTime = Large(source.ftLastAccessTime);
    basic.LastWriteTime = Large(source.ftLastWriteTime);
    if (m_dwKeep != m_dwCreateWith || m_pSecurity)
        basic.FileAttributes = m_dwKeep ? m_dwKeep : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(m_hFile, FileBasicInfo, &basic, sizeof basic))
        err = GetLastError();
    if (err) {
        Abandon();
        return err;
    }
    HANDLE h = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) {
        err = GetLastError();
        m_hFile = INVALID_HANDLE_VALUE;
        DeleteFileW(m_path.c_str());
        return err;
    }
    if (m_bSecurityPending && !m_bSecurityAccess) {
        if (!SetFileSecurityW(m_path.c_str(), kSecurityParts, m_pSecurity))
            m_dwSecurityError = GetLastError();
        if (!SetFileAttributesW(m_path.c_str(), m_dwKeep ? m_dwKeep : FILE_ATTRIBUTE_NORMAL))
            return GetLastError();
    }
    return 0;
}

void C_TargetFile::Abandon() {
    if (!IsOpen())
        return;
    if (m_bDeleteAccess) {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(m_hFile, FileDispositionInfo, &gone, sizeof gone);
    }
    Close();
    // Deleted by name as well where the handle could not (it had become read-only already).
    if (!DeleteFileW(m_path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL))
        DeleteFileW(m_path.c_str());
}

void C_TargetFile::Close() {
    if (IsOpen())
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

} // namespace copier
