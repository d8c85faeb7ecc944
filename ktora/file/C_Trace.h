#pragma once

#include "ktora/file/C_FileStream.h"
#include "ktora/string/C_WString.h"

namespace ktora {

// Appends time-stamped UTF-16 lines ("[yyyy/mm/dd hh:mm:ss] text" + LF) and hex dumps to a
// trace file. In lock mode, processes sharing one trace file take turns through a lock
// folder that only one of them can create at a time.
class C_Trace {
public:
    C_Trace();
    // Switches tracing off, so that a lock folder held in lock mode is removed.
    virtual ~C_Trace();
    C_Trace(const C_Trace&) = delete;
    C_Trace& operator=(const C_Trace&) = delete;

    // Names change only while tracing is off.
    void SetTraceName(const C_WString& name);
    void SetLockName(const C_WString& name);
    C_WString GetTraceName() { return m_strTraceName; }
    void OnLock(int on) { m_nLockMode = on; }
    int IsLockMode() const { return m_nLockMode; }

    // Time-out in seconds (-1: no limit). 1 on; 0 the lock folder was not obtained in time
    // or cannot be created at all; 2 already on or the trace file could not be opened.
    int TraceON(const int& seconds);
    void TraceOFF();
    void Trace(const wchar_t* text);
    void Tracef(const wchar_t* format, ...);
    void TraceDump(const void* data, const unsigned& length);
    void TraceClear();

private:
    // 1 lock folder created, 0 timed out or impossible.
    int AcquireLock(int seconds);
    void ReleaseLock();

    C_FileStream m_File;
    C_WString m_strTraceName;
    C_WString m_strLockName;
    int m_nLockMode;
    bool m_bLockHeld; // this object created the lock folder and must remove it
};

} // namespace ktora
