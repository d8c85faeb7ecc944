#pragma once

namespace ktora {

// Single-letter options from a wide argument vector. An option is an entry of exactly
// two characters: the option character ("/" unless changed) and a letter. The vector is
// reordered as parsing goes, so that at the end all options (with their arguments) stand
// before all other entries and optind() points to the first of those. Errors are printed
// in Japanese on the standard output.
class C_GetOpt {
public:
    C_GetOpt();
    virtual ~C_GetOpt() = default;

    // The option letter, '?' (63) on an error, -1 when no option is left. A letter followed
    // by ':' in optstring takes an argument.
    int getopt(int argc, wchar_t** const argv, char const* optstring);

    wchar_t*& optarg() { return m_pOptArg; }
    int& optind() { return m_nOptInd; }
    int& opterr() { return m_nOptErr; }
    char& optopt() { return m_cOptOpt; }
    void setoptchar(char c) { m_cOptChar = c; }
    char getoptchar() const { return m_cOptChar; }

private:
    void MovePending(wchar_t** const argv);
    void PrintError(wchar_t letter, wchar_t const* text) const;

    wchar_t* m_pOptArg;
    int m_nNext;
    int m_nFirstNonOpt;
    int m_nOptInd;
    int m_nOptErr;
    char m_cOptOpt;
    char m_cOptChar;
    bool m_bMovePending;
};

} // namespace ktora
