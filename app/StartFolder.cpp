#include "app/StartFolder.h"

#include <string>

bool StartFolderFromCommandLine(wchar_t const* commandLine, ktora::C_WString* folder) {
    if (commandLine == nullptr || folder == nullptr) {
        return false;
    }
    std::wstring found;
    int folders = 0;
    wchar_t const* p = commandLine;
    for (;;) {
        while (*p == L' ' || *p == L'\t') {
            ++p;
        }
        if (*p == L'\0') {
            break;
        }
        std::wstring argument;
        bool quoted = false;
        for (; *p != L'\0' && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            if (*p == L'"') {
                quoted = !quoted;
            } else {
                argument += *p;
            }
        }
        if (!argument.empty() && argument[0] != L'/') {
            found = argument;
            ++folders;
        }
    }
    if (folders != 1) {
        return false;
    }
    *folder = found.c_str();
    return true;
}
