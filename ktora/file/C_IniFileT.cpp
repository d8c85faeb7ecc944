#include "ktora/file/C_IniFileT.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "ktora/string/C_Integer.h"

namespace ktora {

namespace {

const int kAppend = 1;
const int kReplace = 0;
const int kDelete = -1;
const int kDeleteAll = -2;

// Reads a stream from its current position in blocks and hands out whole lines with their
// exact byte offsets. A CR followed by LF ends a line with both; a lone CR or LF ends it
// with one character. For UTF-16 an odd last byte is not a character and ends the file.
template <class Ch> class LineScanner {
public:
    explicit LineScanner(C_FileStream& stream) : m_Stream(stream), m_Buffer(8192) {}

    // False at the end of the file.
    bool Next(std::basic_string<Ch>* text, __int64* start, __int64* length) {
        if (!Ensure(1)) {
            return false;
        }
        text->clear();
        *start = Offset();
        for (;;) {
            if (!Ensure(1)) {
                break;
            }
            const Ch c = Peek();
            if (c == '\r') {
                m_nPos += sizeof(Ch);
                if (Ensure(1) && Peek() == '\n') {
                    m_nPos += sizeof(Ch);
                }
                break;
            }
            if (c == '\n') {
                m_nPos += sizeof(Ch);
                break;
            }
            text->push_back(c);
            m_nPos += sizeof(Ch);
        }
        *length = static_cast<__int64>(text->size() * sizeof(Ch));
        return true;
    }

private:
    __int64 Offset() const { return m_nBase + static_cast<__int64>(m_nPos); }

    Ch Peek() const {
        Ch c;
        std::memcpy(&c, m_Buffer.data() + m_nPos, sizeof(Ch));
        return c;
    }

    // Makes `units` whole characters available unless the file ends first.
    bool Ensure(size_t units) {
        const size_t need = units * sizeof(Ch);
        while (m_nEnd - m_nPos < need && !m_bEof) {
            if (m_nPos > 0) {
                std::memmove(m_Buffer.data(), m_Buffer.data() + m_nPos, m_nEnd - m_nPos);
                m_nBase += static_cast<__int64>(m_nPos);
                m_nEnd -= m_nPos;
                m_nPos = 0;
            }
            const int room = static_cast<int>(m_Buffer.size() - m_nEnd);
            const int got = m_Stream.Read(m_Buffer.data() + m_nEnd, room);
            if (got <= 0) {
                m_bEof = true;
            } else {
                m_nEnd += static_cast<size_t>(got);
            }
        }
        return m_nEnd - m_nPos >= need;
    }

    C_FileStream& m_Stream;
    std::vector<char> m_Buffer;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    __int64 m_nBase = 0; // file offset of m_Buffer[0]
    bool m_bEof = false;
};

template <class Ch> void AppendUnits(std::vector<char>* out, const std::basic_string<Ch>& s) {
    const char* p = reinterpret_cast<const char*>(s.data());
    out->insert(out->end(), p, p + s.size() * sizeof(Ch));
}

template <class Ch> std::basic_string<Ch> Literal(const char* ascii) {
    std::basic_string<Ch> s;
    for (; *ascii != 0; ++ascii) {
        s.push_back(static_cast<Ch>(*ascii));
    }
    return s;
}

template <class Ch> bool IsLineBreak(const char* bytes) {
    Ch c;
    std::memcpy(&c, bytes, sizeof(Ch));
    return c == '\r' || c == '\n';
}

int ParseNumber(const C_String& value) {
    return C_Integer::ParseIntA(value);
}
int ParseNumber(const C_WString& value) {
    return C_Integer::ParseIntW(value);
}

} // namespace

template <class Ch>
C_IniFileT<Ch>::C_IniFileT()
    : m_nPos(0), m_nDiff(0), m_nOldLength(0), m_nOperation(0), m_bPending(0), m_bLastError(0),
      m_nLockLength(-1) {}

template <class Ch> C_IniFileT<Ch>::C_IniFileT(const C_WString& name) : C_IniFileT() {
    Open(name);
}

template <class Ch> C_IniFileT<Ch>::~C_IniFileT() {
    SettlePending();
    ReleaseLock();
    m_Stream.Close();
}

template <class Ch> typename C_IniFileT<Ch>::Units C_IniFileT<Ch>::ToUnits(const Str& s) {
    return Units(s.GetString(), static_cast<size_t>(s.Length()));
}

template <class Ch> typename C_IniFileT<Ch>::Str C_IniFileT<Ch>::FromInt(int v) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", v);
    return Str(Literal<Ch>(digits).c_str());
}

template <class Ch> bool C_IniFileT<Ch>::IsValidKey(const Units& key) {
    if (key.empty() || key[0] == '#') {
        return false;
    }
    for (Ch c : key) {
        if (c == ' ' || c == '=' || c == '\r' || c == '\n' || c == 0) {
            return false;
        }
    }
    return true;
}

template <class Ch> bool C_IniFileT<Ch>::IsValidValue(const Units& value) {
    for (Ch c : value) {
        if (c == '\r' || c == '\n' || c == 0) {
            return false;
        }
    }
    return true;
}

template <class Ch> void C_IniFileT<Ch>::ResetPending() {
    m_bPending = 0;
    m_PendingKey.clear();
    m_PendingValue.clear();
    m_nPos = 0;
    m_nDiff = 0;
    m_nOldLength = 0;
    m_nOperation = 0;
}

template <class Ch> void C_IniFileT<Ch>::SettlePending() {
    if (m_bPending) {
        Commit();
        ResetPending();
    }
}

template <class Ch> void C_IniFileT<Ch>::ReleaseLock() {
    if (m_nLockLength != -1) {
        if (m_Stream.IsOpen()) {
            m_Stream.Unlock(static_cast<__int64>(0), m_nLockLength);
        }
        m_Stream.SetLockWait(false, -1);
        m_nLockLength = -1;
    }
}

template <class Ch> int C_IniFileT<Ch>::Open(const C_WString& name) {
    SettlePending();
    ReleaseLock();
    m_strName = name;
    m_Stream.Close();
    return m_Stream.Open(name, C_FileStream::kOpenReadWrite, C_FileStream::kModeReadWrite);
}

template <class Ch> int C_IniFileT<Ch>::Close() {
    SettlePending();
    ReleaseLock();
    return m_Stream.Close();
}

template <class Ch> C_Time C_IniFileT<Ch>::GetLastModified() {
    struct stat st;
    if (!m_Stream.IsOpen() || !m_Stream.GetStat(st)) {
        return C_Time(static_cast<__int64>(-1));
    }
    return C_Time(static_cast<__int64>(st.st_mtime));
}

template <class Ch>
bool C_IniFileT<Ch>::ValueOfKeyLine(const std::basic_string<Ch>& line,
                                    const std::basic_string<Ch>& key, size_t* valueStart) {
    // Line text ends at its first NUL, as a C string would.
    const size_t textLength = std::min(line.find(Ch(0)), line.size());
    if (key.empty() || textLength == 0 || line[0] == '#' || line[0] == ' ') {
        return false;
    }
    size_t keyLength = 0;
    while (keyLength < textLength && line[keyLength] != ' ' && line[keyLength] != '=') {
        ++keyLength;
    }
    if (keyLength != key.size() || line.compare(0, keyLength, key) != 0) {
        return false;
    }
    size_t i = keyLength;
    bool equals = false;
    while (i < textLength) {
        if (line[i] == '=') {
            equals = true;
        } else if (line[i] != ' ' && equals) {
            break;
        }
        ++i;
    }
    *valueStart = i;
    return equals;
}

template <class Ch> bool C_IniFileT<Ch>::FindKey(const Units& key, KeyLine* found) {
    if (key.empty() || m_Stream.Seek64(0, 0) != 0) {
        return false;
    }
    LineScanner<Ch> scanner(m_Stream);
    Units line;
    __int64 start = 0;
    __int64 length = 0;
    size_t value = 0;
    while (scanner.Next(&line, &start, &length)) {
        if (!ValueOfKeyLine(line, key, &value)) {
            continue;
        }
        // The offsets keep counting every byte of the line, NULs included.
        found->lineStart = start;
        found->lineLength = length;
        found->valueStart = static_cast<__int64>(value * sizeof(Ch));
        found->value = line.substr(value, std::min(line.find(Ch(0)), line.size()) - value);
        return true;
    }
    return false;
}

template <class Ch> int C_IniFileT<Ch>::_GetKeyPostion(const Str& key, int* lineLength) {
    KeyLine found;
    if (!FindKey(ToUnits(key), &found) || found.lineLength > INT_MAX) {
        return -1;
    }
    if (lineLength != nullptr) {
        *lineLength = static_cast<int>(found.lineLength);
    }
    return static_cast<int>(found.valueStart);
}

template <class Ch> typename C_IniFileT<Ch>::Str C_IniFileT<Ch>::_ReadStr(const Str& keyText) {
    const Units key = ToUnits(keyText);
    if (!m_Stream.IsOpen() || key.empty()) {
        _SetLastError();
        return Str();
    }
    if (m_bPending) {
        if (m_nOperation == kDeleteAll) {
            _SetLastError();
            return Str();
        }
        if (m_PendingKey == key) {
            if (m_nOperation == kDelete) {
                _SetLastError();
                return Str();
            }
            return Str(m_PendingValue.c_str());
        }
    }
    KeyLine found;
    if (!FindKey(key, &found)) {
        _SetLastError();
        return Str();
    }
    return Str(found.value.c_str());
}

template <class Ch> int C_IniFileT<Ch>::_Read(const Str& key) {
    ClearLastError();
    const Str value = _ReadStr(key);
    if (m_bLastError) {
        return -1;
    }
    return ParseNumber(value);
}

template <class Ch> void C_IniFileT<Ch>::_Write(const Str& keyText, const Str& valueText) {
    const Units key = ToUnits(keyText);
    const Units value = ToUnits(valueText);
    if (!m_Stream.IsOpen() || !IsValidKey(key) || !IsValidValue(value)) {
        _SetLastError();
        return;
    }
    if (m_bPending && !Commit()) {
        return; // the earlier change could not be written; it is not overtaken silently
    }
    KeyLine found;
    if (FindKey(key, &found)) {
        m_nOperation = kReplace;
        m_nPos = found.lineStart + found.valueStart;
        m_nOldLength = found.lineLength - found.valueStart;
        m_nDiff = static_cast<__int64>(value.size() * sizeof(Ch)) - m_nOldLength;
    } else {
        m_nOperation = kAppend;
        // A UTF-16 file of odd length ends in a stray byte that is no character: the new
        // line starts on the character boundary before it.
        m_nPos = static_cast<__int64>(m_Stream.GetSize64());
        m_nPos -= m_nPos % static_cast<__int64>(sizeof(Ch));
        m_nOldLength = 0;
        m_nDiff = 0;
    }
    m_PendingKey = key;
    m_PendingValue = value;
    m_bPending = 1;
}

template <class Ch> int C_IniFileT<Ch>::_Delete(const Str& keyText) {
    const Units key = ToUnits(keyText);
    if (!m_Stream.IsOpen() || key.empty()) {
        _SetLastError();
        return 0;
    }
    if (m_bPending && !Commit()) {
        return 0;
    }
    KeyLine found;
    if (!FindKey(key, &found)) {
        _SetLastError();
        return 0;
    }
    m_nOperation = kDelete;
    m_nPos = found.lineStart;
    m_nOldLength = found.lineLength;
    m_nDiff = -1;
    m_PendingKey = key;
    m_PendingValue.clear();
    m_bPending = 1;
    return 1;
}

template <class Ch> typename C_IniFileT<Ch>::Str C_IniFileT<Ch>::GetStr(const Str& key) {
    return _ReadStr(key);
}

template <class Ch> typename C_IniFileT<Ch>::Str C_IniFileT<Ch>::GetStr(int key) {
    return _ReadStr(FromInt(key));
}

template <class Ch> int C_IniFileT<Ch>::GetInt(const Str& key) {
    return _Read(key);
}

template <class Ch> int C_IniFileT<Ch>::GetInt(int key) {
    return _Read(FromInt(key));
}

template <class Ch> int C_IniFileT<Ch>::IsExistStr(const Str& key) {
    ClearLastError();
    _ReadStr(key);
    if (!m_bLastError) {
        return 1;
    }
    ClearLastError();
    return 0;
}

template <class Ch> int C_IniFileT<Ch>::IsExistStr(int key) {
    return IsExistStr(FromInt(key));
}

template <class Ch> void C_IniFileT<Ch>::SetStr(const Str& key, const Str& value) {
    _Write(key, value);
}

template <class Ch> void C_IniFileT<Ch>::SetStr(const Str& key, int value) {
    _Write(key, FromInt(value));
}

template <class Ch> void C_IniFileT<Ch>::SetStr(int key, const Str& value) {
    _Write(FromInt(key), value);
}

template <class Ch> void C_IniFileT<Ch>::SetStr(int key, int value) {
    _Write(FromInt(key), FromInt(value));
}

template <class Ch> int C_IniFileT<Ch>::DeleteStr(const Str& key) {
    return _Delete(key);
}

template <class Ch> int C_IniFileT<Ch>::DeleteStr(int key) {
    return _Delete(FromInt(key));
}

template <class Ch> int C_IniFileT<Ch>::DeleteAllStr() {
    if (!m_Stream.IsOpen()) {
        _SetLastError();
        return 0;
    }
    if (m_bPending && !Commit()) {
        return 0;
    }
    ResetPending();
    m_nOperation = kDeleteAll;
    m_bPending = 1;
    return 1;
}

template <class Ch> int C_IniFileT<Ch>::Commit() {
    if (!m_bPending) {
        _SetLastError();
        return 0;
    }
    if (m_nOperation == kDeleteAll) {
        ResetPending();
        if (!Truncate()) {
            _SetLastError();
            return 0;
        }
        return 1;
    }
    if (CommitPending()) {
        ResetPending();
        return 1;
    }
    _SetLastError();
    return 0;
}

// Builds everything that goes from the pending position to the file's new end, and only
// then writes it in one piece: a tail that cannot be read whole means nothing is written,
// and a write that fails leaves the file uncut.
template <class Ch> bool C_IniFileT<Ch>::CommitPending() {
    const __int64 unit = static_cast<__int64>(sizeof(Ch));
    const __int64 size = static_cast<__int64>(m_Stream.GetSize64());
    if (!m_Stream.IsOpen() || m_nPos < 0 || m_nPos > size) {
        return false;
    }
    std::vector<char> out;
    if (m_nOperation == kAppend) {
        if (m_nPos >= unit) {
            char before[sizeof(Ch)];
            if (m_Stream.Seek64(m_nPos - unit, 0) != m_nPos - unit ||
                m_Stream.Read(before, static_cast<int>(unit)) != unit) {
                return false;
            }
            if (!IsLineBreak<Ch>(before)) {
                AppendUnits(&out, Literal<Ch>("\r\n"));
            }
        }
        AppendUnits(&out, m_PendingKey);
        AppendUnits(&out, Literal<Ch>(" = "));
        AppendUnits(&out, m_PendingValue);
        AppendUnits(&out, Literal<Ch>("\r\n"));
    } else if (m_nOperation == kReplace) {
        AppendUnits(&out, m_PendingValue);
    }
    const bool shift = m_nDiff != 0;
    if (shift) {
        const __int64 tailStart = m_nPos + m_nOldLength;
        if (tailStart > size || size - tailStart > INT_MAX - static_cast<__int64>(out.size())) {
            return false;
        }
        const size_t tailLength = static_cast<size_t>(size - tailStart);
        std::vector<char> tail(tailLength);
        if (m_Stream.Seek64(tailStart, 0) != tailStart) {
            return false;
        }
        size_t got = 0;
        while (got < tailLength) {
            const int n = m_Stream.Read(tail.data() + got, static_cast<int>(tailLength - got));
            if (n <= 0) {
                return false;
            }
            got += static_cast<size_t>(n);
        }
        size_t skip = 0;
        if (m_nOperation == kDelete) {
            // The deleted line's terminator and the blank lines right after it go too.
            while (skip + sizeof(Ch) <= tail.size() && IsLineBreak<Ch>(tail.data() + skip)) {
                skip += sizeof(Ch);
            }
        }
        out.insert(out.end(), tail.begin() + static_cast<std::ptrdiff_t>(skip), tail.end());
    }
    if (m_Stream.Seek64(m_nPos, 0) != m_nPos) {
        return false;
    }
    size_t written = 0;
    while (written < out.size()) {
        const int n = m_Stream.Write(out.data() + written, static_cast<int>(out.size() - written));
        if (n <= 0) {
            // Part of the change may be in the file: it cannot be retried, only reported.
            ResetPending();
            return false;
        }
        written += static_cast<size_t>(n);
    }
    if (shift && !m_Stream.SetEndFile(m_nPos + static_cast<__int64>(out.size()))) {
        ResetPending();
        return false;
    }
    return true;
}

template <class Ch> int C_IniFileT<Ch>::RollBack() {
    if (!m_bPending) {
        _SetLastError();
        return 0;
    }
    ResetPending();
    return 1;
}

template <class Ch> bool C_IniFileT<Ch>::Truncate() {
    return m_Stream.IsOpen() && m_Stream.SetEndFile(static_cast<__int64>(0));
}

template <class Ch> void C_IniFileT<Ch>::ClearAll() {
    ResetPending();
    if (!Truncate()) {
        _SetLastError();
    }
}

template <class Ch> int C_IniFileT<Ch>::Lock(int milliseconds) {
    if (m_nLockLength != -1) {
        return kLockAlreadyHeld;
    }
    if (!m_Stream.IsOpen()) {
        return C_FileStream::kLockRefused;
    }
    // An empty file still gets one byte locked: a zero-length range locks nothing (and fails
    // outright under Wine, which would make an unlimited wait spin forever).
    const unsigned __int64 size = m_Stream.GetSize64();
    int length = size > static_cast<unsigned __int64>(INT_MAX) ? INT_MAX : static_cast<int>(size);
    if (length == 0) {
        length = 1;
    }
    m_Stream.SetLockWait(true, milliseconds);
    const int result = m_Stream.Lock(static_cast<__int64>(0), length);
    if (result != C_FileStream::kLockTaken) {
        m_Stream.SetLockWait(false, -1);
        return result;
    }
    m_nLockLength = length;
    return C_FileStream::kLockTaken;
}

template <class Ch> void C_IniFileT<Ch>::Unlock() {
    ReleaseLock();
}

template class C_IniFileT<char>;
template class C_IniFileT<wchar_t>;

} // namespace ktora
