#include "tools/xcopy/xcopy_messages.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace xcopy {

namespace {

struct Entry {
    Msg id;
    const wchar_t* ja;
    const wchar_t* en;
};

const Entry kTexts[] = {
    {Msg::FilesCopied, L"%d 個のファイルをコピーしました", L"%d File(s) copied"},
    {Msg::FilesFound, L"%d 個のファイル", L"%d File(s)"},
    {Msg::BadSwitch, L"無効なスイッチです - %ls", L"Invalid switch - %ls"},
    {Msg::BadCount, L"パラメーターの数が違います", L"Invalid number of parameters"},
    {Msg::FileNotFound, L"ファイルが見つかりません - %ls", L"File not found - %ls"},
    {Msg::PathNotFound, L"パスが見つかりません - %ls", L"Path not found - %ls"},
    {Msg::CyclicCopy, L"周期的なコピーは実行できません", L"Cannot perform a cyclic copy"},
    {Msg::OntoItself, L"ファイルをそれ自身にコピーすることはできません - %ls",
     L"File cannot be copied onto itself - %ls"},
    {Msg::Overwrite, L"%ls を上書きしますか (Yes/No/All)? ", L"Overwrite %ls (Yes/No/All)? "},
    {Msg::FileOrFolder,
     L"%ls は受け側のファイル名ですか、\r\nまたはディレクトリ名ですか\r\n"
     L"(F = ファイル、D = ディレクトリ)? ",
     L"Does %ls specify a file name\r\nor directory name on the target\r\n"
     L"(F = file, D = directory)? "},
    {Msg::CannotMakeDir, L"ディレクトリを作成できません - %ls",
     L"Unable to create directory - %ls"},
    {Msg::MultipleToFile, L"複数のファイルを 1 つのファイルにはコピーできません - %ls",
     L"Cannot copy several files onto one file - %ls"},
    {Msg::SecurityFailed, L"所有者とアクセス制御情報をコピーできません - %ls",
     L"Unable to copy owner and access control information - %ls"},
    {Msg::FileError, L"%ls - %ls", L"%ls - %ls"},
    {Msg::CaseClash,
     L"%ls - 大文字と小文字だけが異なる名前を既にコピーしたため、コピーしませんでした",
     L"%ls - not copied: a name differing from it only in case was copied already"},
    {Msg::Interrupted, L"中断しました", L"Interrupted"},
    {Msg::Usage,
     L"ファイルとディレクトリ ツリーをコピーします。\r\n\r\n"
     L"XCOPY コピー元 [コピー先] [/S [/E]] [/C] [/H] [/O] [/Y | /-Y] [/I] [/Q] [/K] [/R] [/F] "
     L"[/L] [/T]\r\n\r\n"
     L"  /S    空のディレクトリを除くディレクトリとサブディレクトリをコピーします。\r\n"
     L"  /E    空のディレクトリを含むディレクトリとサブディレクトリをコピーします。\r\n"
     L"  /C    エラーが発生してもコピーを続けます。\r\n"
     L"  /H    隠しファイルとシステム ファイルもコピーします。\r\n"
     L"  /O    ファイルの所有権とアクセス制御リスト情報をコピーします。\r\n"
     L"  /Y    既存のファイルを上書きする前に確認を求めません。\r\n"
     L"  /-Y   既存のファイルを上書きする前に確認を求めます。\r\n"
     L"  /I    コピー先が存在せず複数のファイルをコピーする場合、コピー先をディレクトリと"
     L"みなします。\r\n"
     L"  /Q    コピー中にファイル名を表示しません。\r\n"
     L"  /K    属性をコピーします。指定しないと読み取り専用属性は解除されます。\r\n"
     L"  /R    読み取り専用ファイルも上書きします。\r\n"
     L"  /F    コピー元とコピー先の完全なファイル名を表示します。\r\n"
     L"  /L    コピーされるファイルを表示するだけでコピーしません。\r\n"
     L"  /T    ディレクトリ構造だけを作成し、ファイルはコピーしません。/E を付けると空の"
     L"ディレクトリも作成します。\r\n",
     L"Copies files and directory trees.\r\n\r\n"
     L"XCOPY source [destination] [/S [/E]] [/C] [/H] [/O] [/Y | /-Y] [/I] [/Q] [/K] [/R] [/F] "
     L"[/L] [/T]\r\n\r\n"
     L"  /S    Copies directories and subdirectories except empty ones.\r\n"
     L"  /E    Copies directories and subdirectories, including empty ones.\r\n"
     L"  /C    Continues copying even if errors occur.\r\n"
     L"  /H    Copies hidden and system files also.\r\n"
     L"  /O    Copies file ownership and access control list information.\r\n"
     L"  /Y    Overwrites existing files without asking.\r\n"
     L"  /-Y   Asks before overwriting an existing file.\r\n"
     L"  /I    If the destination does not exist and several files are copied, assumes\r\n"
     L"        that the destination is a directory.\r\n"
     L"  /Q    Does not display file names while copying.\r\n"
     L"  /K    Copies attributes. Without it the read-only attribute is cleared.\r\n"
     L"  /R    Overwrites read-only files too.\r\n"
     L"  /F    Displays full source and destination file names while copying.\r\n"
     L"  /L    Displays the files that would be copied without copying them.\r\n"
     L"  /T    Creates the directory structure only, no files; with /E empty\r\n"
     L"        directories too.\r\n"},
};

} // namespace

const wchar_t* Text(Msg id, bool japanese) {
    for (const auto& e : kTexts)
        if (e.id == id)
            return japanese ? e.ja : e.en;
    return L"";
}

std::wstring Format(Msg id, bool japanese, ...) {
    va_list args;
    va_start(args, japanese);
    std::wstring out(512, L'\0');
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = vswprintf(&out[0], out.size(), Text(id, japanese), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < out.size()) {
            out.resize(static_cast<size_t>(n));
            break;
        }
        if (out.size() > (1u << 20)) {
            out.clear();
            break;
        }
        out.resize(out.size() * 4);
    }
    va_end(args);
    return out;
}

std::wstring ErrorText(unsigned long code, bool japanese) {
    wchar_t* buffer = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD n = 0;
    if (japanese)
        n = FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                           reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (!n)
        n = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                           nullptr);
    std::wstring text;
    if (n && buffer) {
        text.assign(buffer, n);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' ||
                                 text.back() == L' ' || text.back() == L'.'))
            text.pop_back();
    }
    if (buffer)
        LocalFree(buffer);
    if (text.empty()) {
        wchar_t fallback[64];
        swprintf(fallback, 64, japanese ? L"エラー %lu" : L"Error %lu", code);
        text = fallback;
    }
    return text;
}

} // namespace xcopy
