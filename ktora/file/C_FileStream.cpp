#include "ktora/file/C_FileStream.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include <windows.h>

#include "ktora/file/ktora_shim.h"
#include "ktora/thread/ktora_thread.h"

namespace ktora {

namespace {

constexpr int kLineBlock = 260; // bytes (narrow) or code units (wide) read ahead per step
constexpr int kLockPollMs = 50; // pause between attempts while waiting for a lock

// Outcomes of one lock attempt.
constexpr int kLocked = 0;
constexpr int kLockHeld = 1;   // the range is held through another handle
constexpr int kLockFailed = 2; // cannot be locked at all

__int64 CurrentPos(int fd) {
    return _lseeki64(fd, 0, SEEK_CUR);
}

// The low n bytes of value in the chosen byte order.
void PackBytes(unsigned value, bool bigEndian, unsigned char* b, int n) {
    for (int i = 0; i < n; ++i) {
        const int shift = 8 * (bigEndian ? n - 1 - i : i);
        b[i] = static_cast<unsigned char>((value >> shift) & 0xff);
    }
}

unsigned UnpackBytes(const unsigned char* b, int n, bool bigEndian) {
    unsigned value = 0;
    for (int i = 0; i < n; ++i) {
        value = (value << 8) | b[bigEndian ? i : n - 1 - i];
    }
    return value;
}

// Reads one line of T units (bytes or UTF-16 code units) ended by CR LF, LF or a lone CR,
// and leaves the file just after its end. False at the end of the file or on a failure, with
// the file where it was.
template <typename T> bool ReadLineUnits(int fd, std::basic_string<T>& line) {
    const __int64 start = CurrentPos(fd);
    if (start < 0) {
        return false;
    }
    constexpr int unit = static_cast<int>(sizeof(T));
    try {
        T block[kLineBlock];
        bool any = false;
        __int64 terminator = 0; // bytes
        for (;;) {
            int got = _read(fd, block, sizeof block);
            if (got < unit) {
                break; // an odd last byte alone is no character
            }
            any = true;
            const int units = got / unit;
            int i = 0;
            while (i < units && block[i] != T('\r') && block[i] != T('\n')) {
                ++i;
            }
            line.append(block, static_cast<size_t>(i));
            if (i == units) {
                if (got % unit != 0) {
                    _lseeki64(fd, -(got % unit), SEEK_CUR); // keep reads aligned to whole units
                }
                continue;
            }
            if (block[i] == T('\n')) {
                terminator = unit;
            } else {
                // A CR counts as CR LF only when an LF really follows; a lone CR ends the
                // line by itself and the next line keeps its first unit.
                T next = 0;
                bool lf = i + 1 < units
                              ? block[i + 1] == T('\n')
                              : (_read(fd, &next, sizeof next) == unit && next == T('\n'));
                terminator = lf ? 2 * unit : unit;
            }
            break;
        }
        if (!any) {
            _lseeki64(fd, start, SEEK_SET);
            return false;
        }
        _lseeki64(fd, start + static_cast<__int64>(line.size()) * unit + terminator, SEEK_SET);
        return true;
    } catch (...) {
        _lseeki64(fd, start, SEEK_SET);
        return false;
    }
}

// One line into out; its length in units, or -1 at the end of the file or on a failure.
template <typename T, class S> int ReadLineInto(int fd, S* out) {
    if (out == nullptr || fd == -1) {
        return -1;
    }
    std::basic_string<T> line;
    if (!ReadLineUnits(fd, line)) {
        return -1;
    }
    *out = line.c_str();
    return static_cast<int>(line.size());
}

} // namespace

C_FileStream::C_FileStream() : m_nFd(-1), m_bOwns(1), m_bDeleteOnClose(0) {
    _Init();
}

C_FileStream::C_FileStream(const C_WString& name, const int& flags)
    : m_nFd(-1), m_bOwns(1), m_bDeleteOnClose(0) {
    _Init();
    Open(name, flags);
}

C_FileStream::~C_FileStream() {
    Close();
}

void C_FileStream::_Init() {
    m_bLockWait = false;
    m_nLockTimeout = -1;
}

int C_FileStream::Open(const C_WString& name, const int& flags, const int& mode) {
    if (name.Empty() || m_nFd != -1) {
        return 0;
    }
    int fd = -1;
    if (_wsopen_s(&fd, name.GetString(), flags, _SH_DENYWR, mode) != 0 || fd == -1) {
        return 0;
    }
    m_nFd = fd;
    m_bOwns = 1;
    m_strName = name;
    return 1;
}

int C_FileStream::Open(const C_WString& name, const int& flags) {
    return Open(name, flags, kModeReadWrite);
}

int C_FileStream::ReOpen(const C_WString& name, const int& flags) {
    Close();
    return Open(name, flags);
}

int C_FileStream::Close() {
    if (m_nFd == -1) {
        return 0;
    }
    int result = 1;
    if (m_bOwns) {
        result = _close(m_nFd) == 0 ? 1 : 0;
        if (m_bDeleteOnClose) {
            // A file that could not be removed is a failed close, not a silent leftover.
            if (!m_strName.Empty() && _wremove(m_strName.GetString()) != 0) {
                result = 0;
            }
            m_bDeleteOnClose = 0;
        }
    } else {
        m_bOwns = 1;
    }
    m_strName.Clear();
    m_nFd = -1;
    return result;
}

void C_FileStream::SetHandle(int fd, const int& owns) {
    if (fd == -1) {
        return;
    }
    if (fd == m_nFd) {
        // Our own descriptor: only the ownership changes (closing it first would leave the
        // stream holding a closed descriptor).
        m_bOwns = owns;
        return;
    }
    Close();
    m_nFd = fd;
    m_bOwns = owns;
}

void C_FileStream::DeleteOnClose(const int& on) {
    m_bDeleteOnClose = on;
}

int C_FileStream::IsOpen() const {
    return m_nFd != -1 ? 1 : 0;
}

C_WString C_FileStream::GetFileName() {
    return m_strName;
}

int C_FileStream::GetStat(struct stat& st) const {
    if (m_nFd == -1) {
        return 0;
    }
    struct _stat64i32 s;
    if (_fstat64i32(m_nFd, &s) != 0) {
        return 0;
    }
    memset(&st, 0, sizeof st);
    st.st_dev = s.st_dev;
    st.st_ino = s.st_ino;
    st.st_mode = s.st_mode;
    st.st_nlink = s.st_nlink;
    st.st_uid = s.st_uid;
    st.st_gid = s.st_gid;
    st.st_rdev = s.st_rdev;
    st.st_size = s.st_size;
    st.st_atime = s.st_atime;
    st.st_mtime = s.st_mtime;
    st.st_ctime = s.st_ctime;
    return 1;
}

int C_FileStream::Read(void* buf, const int& n) {
    if (m_nFd == -1 || buf == nullptr || n <= 0) {
        return 0;
    }
    int got = _read(m_nFd, buf, static_cast<unsigned>(n));
    return got < 0 ? 0 : got;
}

int C_FileStream::Write(const void* data, const int& n) {
    return WriteAll(data, n);
}

int C_FileStream::WriteAll(const void* data, int n) {
    if (m_nFd == -1 || data == nullptr || n <= 0) {
        return 0;
    }
    int put = _write(m_nFd, data, static_cast<unsigned>(n));
    return put < 0 ? 0 : put;
}

int C_FileStream::WriteStringA(const C_String& s) {
    return WriteStringA(s, s.Length());
}

int C_FileStream::WriteStringA(const C_String& s, int n) {
    // Never more than the string holds: a longer count would write memory past its end.
    if (s.Empty() || n <= 0) {
        return 0;
    }
    if (n > s.Length()) {
        n = s.Length();
    }
    return WriteAll(s.GetString(), n);
}

int C_FileStream::WriteStringW(const C_WString& s) {
    return WriteStringW(s, s.Length());
}

int C_FileStream::WriteStringW(const C_WString& s, int n) {
    if (s.Empty() || n <= 0) {
        return 0;
    }
    if (n > s.Length()) {
        n = s.Length();
    }
    return WriteAll(s.GetString(), n * static_cast<int>(sizeof(wchar_t))) /
           static_cast<int>(sizeof(wchar_t));
}

int C_FileStream::WriteString(const C_WString& s) {
    return WriteStringW(s);
}

int C_FileStream::WriteString(const C_WString& s, int n) {
    return WriteStringW(s, n);
}

int C_FileStream::WriteLineA(const C_String& s) {
    // One write for text and terminator, so a line is never left without its CR LF.
    try {
        std::string line(s.GetString(), static_cast<size_t>(s.Length()));
        line += "\r\n";
        return WriteAll(line.data(), static_cast<int>(line.size()));
    } catch (...) {
        return 0;
    }
}

int C_FileStream::WriteLineW(const C_WString& s) {
    try {
        std::wstring line(s.GetString(), static_cast<size_t>(s.Length()));
        line += L"\r\n";
        return WriteAll(line.data(), static_cast<int>(line.size() * sizeof(wchar_t))) /
               static_cast<int>(sizeof(wchar_t));
    } catch (...) {
        return 0;
    }
}

int C_FileStream::WriteLine(const C_WString& s) {
    return WriteLineW(s);
}

int C_FileStream::ReadLineA(C_String* out) {
    return ReadLineInto<char>(m_nFd, out);
}

int C_FileStream::ReadLineW(C_WString* out) {
    return ReadLineInto<wchar_t>(m_nFd, out);
}

int C_FileStream::ReadLine(C_WString* out) {
    return ReadLineW(out);
}

int C_FileStream::WriteByte(int value, const bool&) {
    unsigned char b = static_cast<unsigned char>(value & 0xff);
    return WriteAll(&b, 1);
}

int C_FileStream::WriteWord(int value, const bool& bigEndian) {
    unsigned char b[2];
    PackBytes(static_cast<unsigned>(value), bigEndian, b, 2);
    return WriteAll(b, 2);
}

int C_FileStream::WriteDword(int value, const bool& bigEndian) {
    unsigned char b[4];
    PackBytes(static_cast<unsigned>(value), bigEndian, b, 4);
    return WriteAll(b, 4);
}

int C_FileStream::ReadByte(int* out, const bool&) {
    if (out == nullptr) {
        return 0;
    }
    *out = 0;
    unsigned char b = 0;
    int got = Read(&b, 1);
    if (got == 1) {
        *out = b;
    }
    return got;
}

int C_FileStream::ReadWord(int* out, const bool& bigEndian) {
    if (out == nullptr) {
        return 0;
    }
    *out = 0;
    unsigned char b[2] = {};
    int got = Read(b, 2);
    if (got == 2) {
        *out = static_cast<int>(UnpackBytes(b, 2, bigEndian));
    }
    return got;
}

int C_FileStream::ReadDword(int* out, const bool& bigEndian) {
    if (out == nullptr) {
        return 0;
    }
    *out = 0;
    unsigned char b[4] = {};
    int got = Read(b, 4);
    if (got == 4) {
        *out = static_cast<int>(UnpackBytes(b, 4, bigEndian));
    }
    return got;
}

int C_FileStream::Seek(const int& offset, const int& origin) {
    if (m_nFd == -1) {
        return 0;
    }
    long pos = _lseek(m_nFd, offset, origin);
    return pos < 0 ? 0 : static_cast<int>(pos);
}

__int64 C_FileStream::Seek64(const __int64& offset, const int& origin) {
    if (m_nFd == -1) {
        return 0;
    }
    __int64 pos = _lseeki64(m_nFd, offset, origin);
    return pos < 0 ? 0 : pos;
}

int C_FileStream::GetPos() const {
    if (m_nFd == -1) {
        return -1;
    }
    return static_cast<int>(_lseek(m_nFd, 0, SEEK_CUR));
}

__int64 C_FileStream::GetPos64() const {
    if (m_nFd == -1) {
        return -1;
    }
    return CurrentPos(m_nFd);
}

unsigned long C_FileStream::GetSize() const {
    if (m_nFd == -1) {
        return 0;
    }
    long n = _filelength(m_nFd);
    return n < 0 ? 0 : static_cast<unsigned long>(n);
}

unsigned __int64 C_FileStream::GetSize64() const {
    if (m_nFd == -1) {
        return 0;
    }
    __int64 n = _filelengthi64(m_nFd);
    return n < 0 ? 0 : static_cast<unsigned __int64>(n);
}

int C_FileStream::SetEndFile(const __int64& size) const {
    // The full 64-bit size reaches the system: a 32-bit length call would wrap sizes from
    // 2 GiB upwards, cut the file short and still report success.
    if (m_nFd == -1 || size < 0) {
        return 0;
    }
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(m_nFd));
    if (h == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const __int64 pos = CurrentPos(m_nFd);
    if (pos < 0 || _lseeki64(m_nFd, size, SEEK_SET) != size) {
        return 0;
    }
    BOOL ok = SetEndOfFile(h);
    _lseeki64(m_nFd, pos, SEEK_SET);
    return ok ? 1 : 0;
}

int C_FileStream::SetEndFile() const {
    if (m_nFd == -1) {
        return 0;
    }
    return SetEndFile(CurrentPos(m_nFd));
}

int C_FileStream::Flush() {
    if (m_nFd == -1) {
        return 0;
    }
    return _commit(m_nFd) == 0 ? 1 : 0;
}

void C_FileStream::SetLockWait(bool wait, int milliseconds) {
    m_bLockWait = wait;
    m_nLockTimeout = milliseconds;
}

int C_FileStream::TryLock(__int64 offset, int n) const {
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(m_nFd));
    if (h == INVALID_HANDLE_VALUE || offset < 0 || n <= 0) {
        return kLockFailed;
    }
    if (LockFile(h, static_cast<DWORD>(offset & 0xffffffff), static_cast<DWORD>(offset >> 32),
                 static_cast<DWORD>(n), 0)) {
        return kLocked;
    }
    return GetLastError() == ERROR_LOCK_VIOLATION ? kLockHeld : kLockFailed;
}

int C_FileStream::LockAt(__int64 offset, int n) {
    if (m_nFd == -1) {
        return kLockRefused;
    }
    int state = TryLock(offset, n);
    // Only a range held by someone else is worth waiting for; a bad range or descriptor
    // would never lock and, without a time-out, the wait would never end.
    if (state != kLockHeld || !m_bLockWait) {
        return state == kLocked ? kLockTaken : kLockRefused;
    }
    // Elapsed time is measured by unsigned difference, which stays right across the
    // millisecond clock's wrap; a negative time-out waits without limit.
    const unsigned long begin = common::ktora_get_time();
    const bool limited = m_nLockTimeout >= 0;
    const unsigned long limit = static_cast<unsigned long>(m_nLockTimeout);
    for (;;) {
        state = TryLock(offset, n);
        if (state == kLocked) {
            return kLockTaken;
        }
        if (state == kLockFailed) {
            return kLockRefused;
        }
        const unsigned long now = common::ktora_get_time();
        if (limited && common::ktora_time_passed(begin, now, limit)) {
            return kLockTimeout;
        }
        const unsigned long elapsed = now - begin;
        unsigned long pause = kLockPollMs;
        if (limited && limit - elapsed < pause) {
            pause = limit - elapsed;
        }
        common::ktora_sleep_millis(pause);
    }
}

int C_FileStream::Lock(int n) {
    if (m_nFd == -1) {
        return kLockRefused;
    }
    return LockAt(CurrentPos(m_nFd), n);
}

int C_FileStream::Lock(__int64 offset, int n) {
    return LockAt(offset, n);
}

int C_FileStream::Unlock(int n) {
    if (m_nFd == -1) {
        return 0;
    }
    return Unlock(CurrentPos(m_nFd), n);
}

int C_FileStream::Unlock(__int64 offset, int n) {
    if (m_nFd == -1 || offset < 0 || n <= 0) {
        return 0;
    }
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(m_nFd));
    if (h == INVALID_HANDLE_VALUE) {
        return 0;
    }
    return UnlockFile(h, static_cast<DWORD>(offset & 0xffffffff), static_cast<DWORD>(offset >> 32),
                      static_cast<DWORD>(n), 0)
               ? 1
               : 0;
}

} // namespace ktora
