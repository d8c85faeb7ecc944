#include "tools/xcopy/xcopy_args.h"

#include "ktora/thread/C_GetOpt.h"

#include <cwctype>

namespace xcopy {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Skips the program name as the system's loader reads it (quotes, no escapes).
const wchar_t* SkipProgramName(const wchar_t* p) {
    bool quoted = false;
    for (; *p; ++p) {
        if (*p == L'"')
            quoted = !quoted;
        else if (!quoted && IsBlank(*p))
            break;
    }
    return p;
}

std::wstring Upper(const std::wstring& s) {
    std::wstring out(s);
    for (auto& c : out)
        c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

// Applies one switch letter (upper case; '-' stands for /-Y).
void ApplySwitch(wchar_t letter, Options& o) {
    switch (letter) {
    case L'S':
        o.subdirs = true;
        break;
    case L'E':
        o.subdirs = o.emptyDirs = true;
        break;
    case L'C':
        o.keepGoing = true;
        break;
    case L'H':
        o.hiddenFiles = true;
        break;
    case L'O':
        o.security = true;
        break;
    case L'Y':
        o.overwrite = 1;
        break;
    case L'-':
        o.overwrite = 0;
        break;
    case L'I':
        o.assumeDir = true;
        break;
    case L'Q':
        o.quiet = true;
        break;
    case L'K':
        o.keepAttributes = true;
        break;
    case L'R':
        o.readOnlyToo = true;
        break;
    case L'F':
        o.fullNames = true;
        break;
    case L'L':
        o.listOnly = true;
        break;
    case L'T':
        o.subdirs = o.structureOnly = true;
        break;
    default:
        break;
    }
}

} // namespace

std::vector<std::wstring> SplitCommandLine(const wchar_t* line) {
    std::vector<std::wstring> out;
    if (!line)
        return out;
    const wchar_t* p = SkipProgramName(line);
    while (*p) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        if (*p == L'/') {
            // One or more switches glued together: "/E/H/-Y".
            std::wstring sw(1, L'/');
            for (++p; *p && !IsBlank(*p) && *p != L'/' && *p != L'"'; ++p)
                sw += *p;
            out.push_back(sw);
            continue;
        }
        std::wstring word;
        bool quoted = false;
        for (; *p; ++p) {
            if (*p == L'"')
                quoted = !quoted;
            else if (!quoted && (IsBlank(*p) || *p == L'/'))
                break;
            else
                word += *p;
        }
        // A marker so that an empty quoted path ("") still counts as a path.
        out.push_back(std::wstring(1, L'\0') + word);
    }
    return out;
}

ParseResult ParseArguments(const std::vector<std::wstring>& args, const wchar_t* copycmd,
                           Options& options, std::wstring& badText) {
    Options o;
    if (copycmd) {
        // Only the overwrite switches are taken from the environment.
        for (const auto& w : SplitCommandLine((std::wstring(L"x ") + copycmd).c_str())) {
            const std::wstring s = Upper(w);
            if (s == L"/Y")
                o.overwrite = 1;
            else if (s == L"/-Y")
                o.overwrite = 0;
        }
    }
    // The option parser takes two-character entries; "/-Y" becomes "/-" and "/?" is taken
    // here, since the parser answers '?' for its errors too. Paths carry a leading NUL marker
    // (see SplitCommandLine), so a quoted "/E" stays a path.
    std::vector<std::wstring> entries;
    for (const auto& a : args) {
        if (a.empty() || a[0] != L'/') {
            entries.push_back(a.empty() ? std::wstring(1, L'\0') : a);
            continue;
        }
        const std::wstring s = Upper(a);
        if (s == L"/?") {
            o.help = true;
        } else if (s == L"/-Y") {
            entries.push_back(L"/-");
        } else if (s.size() != 2 || s[1] > 0x7E || s[1] == L'-') {
            // The parser compares only the low byte of a letter: keep others away from it.
            badText = a;
            return ParseResult::BadSwitch;
        } else {
            entries.push_back(a);
        }
    }
    std::wstring program = L"xcopy";
    std::vector<wchar_t*> argv;
    argv.push_back(&program[0]);
    for (auto& e : entries)
        argv.push_back(&e[0]);
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size()) - 1;
    ktora::C_GetOpt getopt;
    getopt.opterr() = 0;
    for (int c; (c = getopt.getopt(argc, argv.data(), "SsEeCcHhOoYyIiQqKkRrFfLlTt-")) != -1;) {
        if (c == '?') {
            badText = std::wstring(1, L'/') +
                      static_cast<wchar_t>(static_cast<unsigned char>(getopt.optopt()));
            return ParseResult::BadSwitch;
        }
        ApplySwitch(static_cast<wchar_t>(std::towupper(static_cast<wchar_t>(c))), o);
    }
    std::vector<std::wstring> paths;
    for (int i = getopt.optind(); i < argc; ++i)
        paths.push_back(argv[i][0] == L'\0' ? std::wstring(argv[i] + 1) : std::wstring(argv[i]));
    if (o.help) {
        options = o;
        return ParseResult::Ok;
    }
    if (paths.empty() || paths.size() > 2 || paths[0].empty())
        return ParseResult::BadCount;
    for (auto& path : paths)
        for (auto& c : path)
            if (c == L'/')
                c = L'\\';
    o.source = paths[0];
    if (paths.size() == 2 && !paths[1].empty()) {
        o.dest = paths[1];
        o.destGiven = true;
        o.destIsFolder = o.dest.back() == L'\\' || o.dest.back() == L':';
    }
    options = o;
    return ParseResult::Ok;
}

} // namespace xcopy
