#include "ktora/thread/C_GetOpt.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace ktora {

C_GetOpt::C_GetOpt()
    : m_pOptArg(nullptr), m_nNext(1), m_nFirstNonOpt(1), m_nOptInd(1), m_nOptErr(1), m_cOptOpt(0),
      m_cOptChar('/'), m_bMovePending(true) {}

void C_GetOpt::MovePending(wchar_t** const argv) {
    const int i = m_nNext;
    if (i - m_nFirstNonOpt <= 1 || !m_bMovePending) {
        return;
    }
    // The last option (and its argument) stands just before i; move it in front of the
    // non-options that were skipped to reach it.
    const int k = m_pOptArg ? 2 : 1;
    wchar_t* option = argv[i - k];
    wchar_t* argument = k == 2 ? argv[i - 1] : nullptr;
    for (int j = i - k - 1; j >= m_nFirstNonOpt; --j) {
        argv[j + k] = argv[j];
    }
    argv[m_nFirstNonOpt] = option;
    if (k == 2) {
        argv[m_nFirstNonOpt + 1] = argument;
    }
    m_nFirstNonOpt += k;
    m_nOptInd = m_nFirstNonOpt;
}

void C_GetOpt::PrintError(wchar_t letter, wchar_t const* text) const {
    if (!m_nOptErr) {
        return;
    }
    std::wstring message;
    message += static_cast<wchar_t>(static_cast<unsigned char>(m_cOptChar));
    message += letter;
    message += text;
    // The C runtime's wide output drops Japanese text under the default locale: print the
    // message in the system code page instead.
    int n = WideCharToMultiByte(CP_ACP, 0, message.c_str(), static_cast<int>(message.size()),
                                nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return;
    }
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, message.c_str(), static_cast<int>(message.size()), &bytes[0], n,
                        nullptr, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

int C_GetOpt::getopt(int argc, wchar_t** const argv, char const* optstring) {
    if (!argv) {
        return -1;
    }
    if (!optstring) {
        optstring = "";
    }
    for (;;) {
        MovePending(argv);
        const int i = m_nNext;
        if (i >= argc) {
            return -1;
        }
        int p = -1;
        for (int q = i; q < argc; ++q) {
            const wchar_t* entry = argv[q];
            if (entry && entry[0] == static_cast<wchar_t>(static_cast<unsigned char>(m_cOptChar)) &&
                entry[1] != 0 && entry[2] == 0) {
                p = q;
                break;
            }
        }
        if (p < 0) {
            m_nNext = i + 1;
            m_bMovePending = false;
            continue;
        }
        m_nOptInd = p + 1;
        const wchar_t letter = argv[p][1];
        const char c = static_cast<char>(letter & 0xFF);
        int j = static_cast<int>(std::strlen(optstring)) - 1;
        while (j >= 0 && optstring[j] != c) {
            --j;
        }
        if (j < 0) {
            m_nNext = p + 1;
            m_nOptInd = p + 1;
            m_cOptOpt = c;
            m_pOptArg = nullptr;
            m_bMovePending = true;
            if (p == m_nFirstNonOpt) {
                m_nFirstNonOpt = p + 1;
            }
            PrintError(letter, L" 無効なオプションです。\n");
            return '?';
        }
        if (optstring[j + 1] == ':') {
            // Do not read past argc: the entry there is the vector's terminating null.
            if (p + 1 >= argc || !argv[p + 1]) {
                // The option occupies only its own entry: the next index stops at it, so the
                // pending move takes the option (never the terminating null) in front of the
                // skipped operands, which stay after the option index.
                m_pOptArg = nullptr;
                m_nNext = p + 1;
                m_nOptInd = p + 1;
                m_bMovePending = true;
                if (p == m_nFirstNonOpt) {
                    m_nFirstNonOpt = p + 1;
                }
                m_cOptOpt = c;
                PrintError(static_cast<wchar_t>(static_cast<unsigned char>(optstring[j])),
                           L" オプションに引数が必要です。\n");
                return '?';
            }
            m_pOptArg = argv[p + 1];
            m_nOptInd = p + 2;
            m_nNext = p + 2;
        } else {
            m_pOptArg = nullptr;
            m_nNext = p + 1;
        }
        m_bMovePending = true;
        if (p == m_nFirstNonOpt) {
            m_nFirstNonOpt = m_nNext;
        }
        return static_cast<unsigned char>(optstring[j]);
    }
}

} // namespace ktora
