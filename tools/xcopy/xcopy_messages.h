// Texts of xcopy.exe in Japanese (console code page 932) and English.
#pragma once

#include <string>

namespace xcopy {

enum class Msg {
    FilesCopied, // %d
    FilesFound,  // %d (with /L)
    BadSwitch,   // %ls
    BadCount,
    FileNotFound, // %ls
    PathNotFound, // %ls
    CyclicCopy,
    OntoItself,     // %ls
    Overwrite,      // %ls
    FileOrFolder,   // %ls
    CannotMakeDir,  // %ls
    MultipleToFile, // %ls
    SecurityFailed, // %ls
    FileError,      // %ls %ls
    CaseClash,      // %ls
    Interrupted,
    Usage,
};

const wchar_t* Text(Msg id, bool japanese);

// Formats Text(id) with printf-style arguments (%d, %ls).
std::wstring Format(Msg id, bool japanese, ...);

// The system's description of a Win32 error code, without the trailing line break.
std::wstring ErrorText(unsigned long code, bool japanese);

} // namespace xcopy
