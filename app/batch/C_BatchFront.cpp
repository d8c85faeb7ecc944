#include "app/batch/C_BatchFront.h"

#include <cwchar>
#include <string>

#include "app/CodePageText.h"

namespace {

// How often a waiting question looks at the abort flag.
const DWORD kAnswerPollMilliseconds = 20;

bool IsSet(std::atomic<int> const* flag) {
    return flag != nullptr && *flag != 0;
}

// One line from standard input (console or redirected); false at end of input or once abort is
// set. The read never blocks for long on this thread, and no other thread is left blocked in
// one: Wine hands Ctrl+C to one thread of the process, and a thread blocked in a read would
// keep it.
bool ReadAnswer(std::wstring* line, std::atomic<int> const* abort) {
    line->clear();
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    if (GetConsoleMode(in, &mode)) {
        // The whole line is taken, so the rest of a long answer cannot answer the next question.
        for (;;) {
            while (WaitForSingleObject(in, kAnswerPollMilliseconds) == WAIT_TIMEOUT) {
                if (IsSet(abort)) {
                    return false;
                }
            }
            wchar_t buffer[256];
            DWORD read = 0;
            if (IsSet(abort) || !ReadConsoleW(in, buffer, 255, &read, nullptr) || read == 0) {
                return !IsSet(abort) && !line->empty();
            }
            line->append(buffer, read);
            if (line->find(L'\n') != std::wstring::npos) {
                return true;
            }
        }
    }
    const bool pipe = GetFileType(in) == FILE_TYPE_PIPE;
    std::string bytes;
    for (;;) {
        if (IsSet(abort)) {
            return false;
        }
        DWORD available = 1;
        if (pipe && !PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr)) {
            break; // the writer has gone: end of input
        }
        if (available == 0) {
            Sleep(kAnswerPollMilliseconds);
            continue;
        }
        char c = 0;
        DWORD read = 0;
        if (!ReadFile(in, &c, 1, &read, nullptr) || read != 1) {
            break;
        }
        if (c == '\n') {
            line->assign(bytes.begin(), bytes.end()); // only the first letter matters
            return true;
        }
        bytes += c;
    }
    line->assign(bytes.begin(), bytes.end());
    return !bytes.empty();
}

// How long a read that ended without a line waits for the abort it may have been ended by
// (the console's handler runs on another thread).
const DWORD kAbortSettleMilliseconds = 300;

} // namespace

C_BatchFront::C_BatchFront(bool yesToAll, int jobs, std::atomic<int> const* abort)
    : m_bYesToAll(yesToAll), m_nJobs(jobs), m_pAbort(abort) {}

bool C_BatchFront::Write(DWORD stdHandle, wchar_t const* text) {
    HANDLE out = GetStdHandle(stdHandle);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD length = static_cast<DWORD>(wcslen(text));
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        return WriteConsoleW(out, text, length, &written, nullptr) && written == length;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = GetACP();
    }
    // "?" where the code page has no character, never a look-alike; UTF-8 takes every one.
    std::string bytes = ToCodePageBytes(text, static_cast<int>(length), codePage);
    if (bytes.empty()) {
        return length == 0;
    }
    return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool C_BatchFront::Ask(wchar_t const* text, wchar_t const* /*caption*/, bool /*defaultNo*/) {
    std::wstring prompt(text);
    prompt += L" [Y/N] ";
    if (m_bYesToAll) {
        prompt += L"Y\n";
        Write(STD_ERROR_HANDLE, prompt.c_str());
        return true;
    }
    if (IsSet(m_pAbort)) {
        return false;
    }
    Write(STD_ERROR_HANDLE, prompt.c_str());
    std::wstring answer;
    bool read = ReadAnswer(&answer, m_pAbort);
    if (!read) {
        for (DWORD waited = 0; waited < kAbortSettleMilliseconds && !IsSet(m_pAbort);
             waited += kAnswerPollMilliseconds) {
            Sleep(kAnswerPollMilliseconds);
        }
    }
    if (IsSet(m_pAbort)) {
        Write(STD_ERROR_HANDLE, L"\n");
        return false;
    }
    if (!read) {
        Write(STD_ERROR_HANDLE, L"N\n");
        return false;
    }
    size_t first = answer.find_first_not_of(L" \t");
    return first != std::wstring::npos && (answer[first] == L'y' || answer[first] == L'Y');
}

void C_BatchFront::Tell(wchar_t const* text, wchar_t const* /*caption*/) {
    std::wstring line(text);
    line += L"\n";
    Write(STD_ERROR_HANDLE, line.c_str());
}

namespace {

// m:ss, or h:mm:ss from an hour on.
std::wstring Clock(unsigned long long milliseconds) {
    unsigned long long seconds = (milliseconds + 500) / 1000;
    wchar_t text[32];
    if (seconds >= 3600) {
        swprintf(text, 32, L"%llu:%02llu:%02llu", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        swprintf(text, 32, L"%llu:%02llu", seconds / 60, seconds % 60);
    }
    return text;
}

} // namespace

void C_BatchFront::CopyStarting(CopyProgress const& p) {
    if (m_nJobs <= 1) {
        WriteProgress(p.index + 1, p);
    }
}

void C_BatchFront::WriteProgress(int number, CopyProgress const& p) {
    std::wstring line = L"[" + std::to_wstring(number) + L"/" + std::to_wstring(p.count) + L"] ";
    line += p.target.GetString();
    line += L"  (経過 " + Clock(p.elapsed_ms);
    if (p.remaining_ms >= 0) {
        line += L", 残り約 " + Clock(static_cast<unsigned long long>(p.remaining_ms));
    }
    line += L")\n";
    Write(STD_OUTPUT_HANDLE, line.c_str());
}

void C_BatchFront::CopyFinished(CopyProgress const& p, bool made) {
    if (m_nJobs > 1) {
        WriteProgress(p.done, p);
    }
    if (made) {
        return;
    }
    std::wstring line = L"コピーに失敗しました: ";
    line += p.target.GetString();
    if (!p.reason.Empty()) {
        line += L" (";
        line += p.reason.GetString();
        line += L")";
    }
    line += L"\n";
    Write(STD_ERROR_HANDLE, line.c_str());
}
