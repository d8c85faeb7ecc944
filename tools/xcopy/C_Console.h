// Standard output, standard error and answers from standard input, in the console's code page.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace xcopy {

class C_Console {
public:
    C_Console();
    virtual ~C_Console();
    C_Console(const C_Console&) = delete;
    C_Console& operator=(const C_Console&) = delete;

    // Japanese texts when the console code page is 932.
    bool IsJapanese() const { return m_nCodePage == 932; }

    // A line on standard output (buffered; flushed now and then, before questions and at exit).
    void Out(const std::wstring& line);
    // A line on standard error (written at once, after what standard output holds).
    void Err(const std::wstring& line);
    void Flush();

    // Lets a waiting question give up when `flag` is set (checked every 50 ms).
    void SetAbortFlag(const std::atomic<int>* flag) { m_pAbort = flag; }

    // Shows a question and returns the first letter of the answer, upper case, from the
    // letters in `choices`; asks again on anything else. 0 when input has ended.
    wchar_t Ask(const std::wstring& question, const wchar_t* choices);

private:
    struct Stream {
        HANDLE handle = nullptr;
        bool console = false;
        std::wstring pending;
    };
    void Write(Stream& s, const std::wstring& text);
    bool ReadLine(std::wstring& line);
    bool WaitForInput();

    UINT m_nCodePage = 0;
    Stream m_out;
    Stream m_err;
    HANDLE m_hIn = nullptr;
    bool m_bInConsole = false;
    bool m_bInputEnded = false;
    DWORD m_dwLastFlush = 0;
    const std::atomic<int>* m_pAbort = nullptr;
};

} // namespace xcopy
