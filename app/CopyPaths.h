#pragma once

#include "ktora/string/C_WString.h"

// Path rules of a copy run, kept apart from the dialog so they can be checked on their own.

// The longest source or destination a run takes, as the dialog's edits hold it. A longer
// path is refused, never cut: a cut path names another folder.
constexpr int kMaxCopyPathUnits = 2047;
// The longest path the platform takes in its \\?\ form.
constexpr int kMaxLongPathUnits = 32767;
// The longest name of one folder.
constexpr int kMaxNameUnits = 255;
// From this length on a folder is made in its \\?\ form: CreateDirectory's limit (MAX_PATH
// less room for an 8.3 name).
constexpr int kMaxShortFolderUnits = 247;

// Every trailing "\" or "/" removed, then every "/" turned into "\".
ktora::C_WString NormalizeCopyPath(ktora::C_WString const& path);

// The folder the system opens for a normalised path: trailing dots and blanks of the last part
// dropped, as Windows drops them ("photo." and "photo " open photo). A \\?\ path is taken as
// written (Windows does not trim it), and a last part of dots and blanks only is left alone.
ktora::C_WString OpenedFolderName(ktora::C_WString const& path);

// True for path forms the copier is not known to take: devices and the \\.\ namespace, and
// every \\?\ form other than \\?\X:\... and \\?\UNC\... (volume GUIDs, GLOBALROOT).
bool IsOddPathForm(ktora::C_WString const& path);

// True when the existing folder leads into the source: opened, it is the source or a folder
// below it, by its final path (links and junctions followed) or by the identities of it and
// its final path's ancestors. False when folder does not exist.
bool LeadsIntoSource(ktora::C_WString const& folder, ktora::C_WString const& source);

// True when a run from source into destination would copy a folder into itself: both name the
// same folder, the destination is the source's parent (the container would be the source), or
// the destination lies inside the source. Paths are made absolute (\\?\ and \\?\UNC\ forms
// too) and compared without regard to case, as Windows compares them; with checkIdentity the
// folders are also compared by identity (volume serial number and file index of the source,
// its parent and every existing ancestor of the destination), which sees through links,
// junctions and second drive letters. Either path empty gives false.
bool IsSelfCopy(ktora::C_WString const& source, ktora::C_WString const& destination,
                bool checkIdentity = true);

// True when a joining text holds a character that no folder name can hold (a control
// character or one of "<>|?*: and the double quote, which would also end the quoted target
// of the command line). "\" and "/" make subfolders and are allowed.
bool HasBadNameCharacter(ktora::C_WString const& text);
bool HasBadNameCharacter(wchar_t const* text, int length);

// True when text holds a control character (below U+0020): a line break in a text-line
// joining text would write lines of its own into outinfo.txt.
bool HasControlCharacter(ktora::C_WString const& text);

// True when some part of a folder name (between separators) ends with "." or " ": Windows
// drops those, so the folder made would not be the one named.
bool HasTrailingDotPart(ktora::C_WString const& folderName);

// True when a copy's folder name (joining texts may add "\" or "/", which make subfolders)
// names a folder inside the container: no part that is only dots and blanks (".." would leave
// the container), no device name ("nul", "com1", also with an extension), no part longer than
// a folder name can be and no character that a folder name cannot hold.
bool IsUsableCopyName(ktora::C_WString const& folderName);

// True when path names a folder that exists (at any length).
bool IsFolderAt(ktora::C_WString const& path);

// Ordinal comparison without regard to case, as Windows compares names; the lengths in units.
bool EqualNoCase(wchar_t const* a, int aLength, wchar_t const* b, int bLength);

// The form of path that file calls take at any length: paths longer than kMaxShortFolderUnits
// (all with always) in their absolute \\?\ form (\\?\UNC\ for a share), shorter ones and
// odd forms (IsOddPathForm) as they are.
ktora::C_WString FileCallPath(ktora::C_WString const& path, bool always = false);

// The command line of one copy: xcopy with its switches (/T /E … for the folder structure
// alone), the quoted source and the quoted target folder with a trailing backslash. Paths too
// long for the usual form go in their \\?\ form.
ktora::C_WString MakeCopyCommand(ktora::C_WString const& source, ktora::C_WString const& target,
                                 bool treeOnly = false);

// The system's copier by its full path (the system folder's xcopy.exe), so that no xcopy.exe
// beside the program or in the current folder runs in its place. Empty when the system folder
// cannot be found.
ktora::C_WString SystemCopierPath();
