#include "tools/xcopy/xcopy_args.h"

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

// Applies one switch (text after "/"); false when unknown.
bool ApplySwitch(const std::wstring& text, Options& o) {
    const std::wstring s = Upper(text);
    if (s == L"S")
        o.subdirs = true;
    else if (s == L"E")
        o.subdirs = o.emptyDirs = true;
    else if (s == L"C")
        o.keepGoing = true;
    else if (s == L"H")
        o.hiddenFiles = true;
    else if (s == L"O")
        o.security = true;
    else if (s == L"Y")
        o.overwrite = 1;
    else if (s == L"-Y")
        o.overwrite = 0;
    else if (s == L"I")
        o.assumeDir = true;
    else if (s == L"Q")
        o.quiet = true;
    else if (s == L"K")
        o.keepAttributes = true;
    else if (s == L"R")
        o.readOnlyToo = true;
    else if (s == L"F")
        o.fullNames = true;
    else if (s == L"L")
        o.listOnly = true;
    else if (s == L"?")
        o.help = true;
    else
        return false;
    return true;
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
    std::vector<std::wstring> paths;
    for (const auto& a : args) {
        if (!a.empty() && a[0] == L'/') {
            if (!ApplySwitch(a.substr(1), o)) {
                badText = a;
                return ParseResult::BadSwitch;
            }
        } else {
            paths.push_back(!a.empty() && a[0] == L'\0' ? a.substr(1) : a);
        }
    }
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
