#pragma once

#include "ktora/string/C_WString.h"

// Path rules of a copy run, kept apart from the dialog so they can be checked on their own.

// Every trailing "\" or "/" removed, then every "/" turned into "\".
ktora::C_WString NormalizeCopyPath(ktora::C_WString const& path);

// True when a run from source into destination would copy a folder into itself: both name the
// same folder, the destination is the source's parent (the container would be the source), or
// the destination lies inside the source. Paths are made absolute and compared without regard
// to case, as Windows compares them. Either path empty gives false.
bool IsSelfCopy(ktora::C_WString const& source, ktora::C_WString const& destination);

// True when a copy's folder name (joining texts may add "\" or "/", which make subfolders)
// names a folder inside the container: no part that is only dots and blanks (".." would leave
// the container), no device name ("nul", "com1", also with an extension) and no character that
// a folder name cannot hold (a double quote would also end the quoted target of the command
// line).
bool IsUsableCopyName(ktora::C_WString const& folderName);

// The command line of one copy: xcopy with its switches, the quoted source and the quoted
// target folder with a trailing backslash.
ktora::C_WString MakeCopyCommand(ktora::C_WString const& source, ktora::C_WString const& target);
