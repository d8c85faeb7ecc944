// One copy of one file being written: created (or replacing what is there) with the source's
// owner and access list when given, filled, then given the source's times and attributes.
// A copy that fails or is abandoned is removed, through its handle where the system granted
// deletion, so that no half-written file is left under the source's name.
#pragma once

#include <windows.h>

#include <string>

namespace copier {

class C_TargetFile {
public:
    C_TargetFile();
    virtual ~C_TargetFile(); // abandons a copy that was not finished
    C_TargetFile(const C_TargetFile&) = delete;
    C_TargetFile& operator=(const C_TargetFile&) = delete;

    // Attributes a copy keeps from its source (read-only only with keepReadOnly).
    static DWORD KeptAttributes(DWORD sourceAttributes, bool keepReadOnly);
    // Makes an existing target replaceable: refuses a folder or (without readOnlyToo) a
    // read-only file, and takes read-only, hidden and system off. 0 or the Win32 error.
    static DWORD PrepareExisting(const std::wstring& longPath, DWORD existing, bool readOnlyToo);

    // Creates the copy at longPath (a \\?\ path). existing: its attributes when it was looked
    // up (INVALID_FILE_ATTRIBUTES: absent or not looked up); mustBeNew: it cannot be there
    // (then ERROR_FILE_EXISTS tells that it was). security may be null. 0 or the Win32 error.
    DWORD Open(const std::wstring& longPath, DWORD existing, bool mustBeNew, bool readOnlyToo,
               DWORD keep, PSECURITY_DESCRIPTOR security);
    DWORD Write(const void* data, DWORD size);
    // Sets times and attributes and closes. 0 or the Win32 error (the copy is then removed).
    // A failure to set the owner and access list does not fail the copy: SecurityError().
    DWORD Finish(const WIN32_FIND_DATAW& source);
    // Removes the copy being written (nothing when none is open).
    void Abandon();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    DWORD SecurityError() const { return m_dwSecurityError; }

private:
    void Close();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::wstring m_path;
    DWORD m_dwKeep = 0;
    DWORD m_dwCreateWith = 0;
    PSECURITY_DESCRIPTOR m_pSecurity = nullptr;
    bool m_bSecurityPending = false; // the descriptor still has to be set
    bool m_bSecurityAccess = false;  // through the handle
    bool m_bDeleteAccess = false;
    DWORD m_dwSecurityError = 0;
};

} // namespace copier
