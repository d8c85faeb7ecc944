#pragma once

#include <fcntl.h>
#include <stdint.h>
#include <sys/stat.h>

#include "ktora/file/I_FileDefine.h"
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

namespace ktora {

// Owner of a C-runtime low-level file descriptor: unbuffered byte I/O, text lines in the
// system code page or UTF-16, byte-order-aware integers, 32/64-bit positions, truncation,
// byte-range locks and delete-on-close.
//
// Results: 1 (or a count of bytes) on success, 0 on failure, except Lock (a LockResult, where
// 0 is success) and where a comment says -1. Flags and
// permission modes are the C runtime's _O_ and _S_ values; the combinations the library and
// the application use are named below. The A/W/plain triples: A is narrow text in the ANSI
// code page, W is UTF-16 on disk, the plain name is the W one. Not thread-safe: one stream
// serves one thread at a time.
class C_FileStream : public I_FileDefine {
public:
    // Open flags.
    enum OpenFlags : int {
        // Read and write, created when missing, kept when present, no text translation.
        kOpenReadWrite = _O_RDWR | _O_CREAT | _O_BINARY, // 0x8102
        // The same, and every write goes to the end.
        kOpenAppend = _O_RDWR | _O_CREAT | _O_APPEND | _O_BINARY, // 0x810A
    };
    // Permission modes of a file that Open creates (the default of Open without a mode).
    enum PermissionMode : int {
        kModeReadWrite = _S_IREAD | _S_IWRITE, // 0x0180
    };

    C_FileStream();
    C_FileStream(const C_WString& name, const int& flags);
    virtual ~C_FileStream();

    C_FileStream(const C_FileStream&) = delete;
    C_FileStream& operator=(const C_FileStream&) = delete;

    int Open(const C_WString& name, const int& flags, const int& mode);
    int Open(const C_WString& name, const int& flags);
    int ReOpen(const C_WString& name, const int& flags);
    int Close();
    void SetHandle(int fd, const int& owns);
    void DeleteOnClose(const int& on);
    int IsOpen() const;
    C_WString GetFileName();
    int GetStat(struct stat& st) const;

    int Read(void* buf, const int& n);
    int Write(const void* data, const int& n);

    int WriteStringA(const C_String& s);
    int WriteStringA(const C_String& s, int n);
    int WriteStringW(const C_WString& s);
    int WriteStringW(const C_WString& s, int n);
    int WriteString(const C_WString& s);
    int WriteString(const C_WString& s, int n);
    int WriteLineA(const C_String& s);
    int WriteLineW(const C_WString& s);
    int WriteLine(const C_WString& s);
    int ReadLineA(C_String* out);
    int ReadLineW(C_WString* out);
    int ReadLine(C_WString* out);

    int WriteByte(int value, const bool& bigEndian);
    int WriteWord(int value, const bool& bigEndian);
    int WriteDword(int value, const bool& bigEndian);
    int ReadByte(int* out, const bool& bigEndian);
    int ReadWord(int* out, const bool& bigEndian);
    int ReadDword(int* out, const bool& bigEndian);

    int Seek(const int& offset, const int& origin);
    __int64 Seek64(const __int64& offset, const int& origin);
    int GetPos() const;
    __int64 GetPos64() const;
    unsigned long GetSize() const;
    unsigned __int64 GetSize64() const;
    int SetEndFile(const __int64& size) const;
    int SetEndFile() const;
    int Flush();

    // What Lock answers: here 0 is success.
    enum LockResult : int {
        kLockTaken = 0,
        kLockRefused = 1, // no file, a bad range, or held elsewhere while not waiting
        kLockTimeout = 2, // held elsewhere for the whole wait
    };

    // With wait, Lock retries a range held elsewhere for milliseconds (negative: no limit).
    void SetLockWait(bool wait, int milliseconds);
    // Locks n bytes from the current position or from offset; a LockResult.
    int Lock(int n);
    int Lock(__int64 offset, int n);
    int Unlock(int n);
    int Unlock(__int64 offset, int n);

protected:
    void _Init();

private:
    int LockAt(__int64 offset, int n);
    int TryLock(__int64 offset, int n) const;
    int WriteAll(const void* data, int n);

    int m_nFd;
    int m_bOwns;
    int m_bDeleteOnClose;
    bool m_bLockWait;
    int m_nLockTimeout;
    C_WString m_strName;
};

} // namespace ktora
