// Which source/destination pairs a run refuses as copying a folder into itself, and the
// command line each copy runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/batch_runner.h"
#include "app/CopyPaths.h"

using ktora::C_WString;

namespace {

C_WString W(wchar_t const* text) {
    return C_WString(text);
}

std::wstring S(C_WString const& text) {
    return std::wstring(text.GetString());
}

} // namespace

TEST(CopyPaths, NormalizeStripsEveryTrailingSeparatorAndTurnsSlashes) {
    EXPECT_EQ(L"C:\\a\\photo", S(NormalizeCopyPath(W(L"C:/a/photo/"))));
    EXPECT_EQ(L"C:\\a\\photo", S(NormalizeCopyPath(W(L"C:\\a\\photo\\\\"))));
    EXPECT_EQ(L"C:\\a\\photo", S(NormalizeCopyPath(W(L"C:\\a\\photo/\\/"))));
    EXPECT_EQ(L"", S(NormalizeCopyPath(W(L"\\\\"))));
    EXPECT_EQ(L"", S(NormalizeCopyPath(W(L""))));
    EXPECT_EQ(L"\\\\server\\share", S(NormalizeCopyPath(W(L"//server/share/"))));
}

TEST(CopyPaths, RefusesTheSameFolderInAnySpelling) {
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\Data\\Photo"), W(L"c:\\data\\PHOTO")));
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\data\\.\\x\\..\\photo")));
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\\u5199\u771f"), W(L"C:\\\u5199\u771f")));
    // Relative texts are taken from the current folder.
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_TRUE(IsSelfCopy(W(L"."), C_WString(current)));
}

TEST(CopyPaths, RefusesADestinationThatWouldPutTheCopiesIntoTheSource) {
    // The destination is the source's parent: the container would be the source itself.
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\DATA")));
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\photo"), W(L"C:")));
    // The destination lies inside the source.
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\data\\photo\\out")));
    EXPECT_TRUE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"c:\\Data\\Photo\\a\\b\\c")));
    EXPECT_TRUE(IsSelfCopy(W(L"C:"), W(L"C:\\out")));
}

TEST(CopyPaths, AcceptsSiblingsAncestorsAndLookalikes) {
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\data\\photos")));
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\data\\photo2\\x")));
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"C:\\")));     // container C:\photo
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\data\\photo"), W(L"D:\\data"))); // another drive
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\a\\photo"), W(L"C:\\b")));
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\data\\out\\photo"), W(L"C:\\data"))); // source below dest
    EXPECT_FALSE(IsSelfCopy(W(L""), W(L"C:\\b")));
    EXPECT_FALSE(IsSelfCopy(W(L"C:\\b"), W(L"")));
}

TEST(CopyPaths, CommandLineQuotesBothPathsAndEndsTheTargetWithABackslash) {
    EXPECT_EQ(L"xcopy /E /C /H /O /Y \"C:\\data\\photo\" \"D:\\out\\photo\\photo1\\\"",
              S(MakeCopyCommand(W(L"C:\\data\\photo"), W(L"D:\\out\\photo\\photo1"))));
    EXPECT_EQ(L"xcopy /E /C /H /O /Y \"C:\\\u5199 \u771f\" \"D:\\o u t\\\u5199 \u771f\\a\\\"",
              S(MakeCopyCommand(W(L"C:\\\u5199 \u771f"), W(L"D:\\o u t\\\u5199 \u771f\\a"))));
}

TEST(CopyPaths, CopyNamesStayInsideTheContainer) {
    // Joining texts may make subfolders; dots, blanks and Japanese are ordinary name parts.
    for (wchar_t const* good :
         {L"photo1", L"photo1_x", L"photo\\1", L"photo1/x", L"\u5199\u771f1", L"photo 1",
          L"photo.1", L"photo1\\\\x", L"photo1\\", L"photo1\\.x", L"photo1\\x..", L"..photo1"}) {
        EXPECT_TRUE(IsUsableCopyName(W(good))) << S(W(good)).size();
    }
    // Parts of dots and blanks only lead out of the container (or vanish); the rest cannot be
    // in a folder name, and a double quote would end the command line's quoted target.
    for (wchar_t const* bad :
         {L"photo1\\..", L"photo1\\..\\..\\x", L"photo1/../x", L"photo1\\...", L"photo1\\ . ",
          L"photo1\\.", L"..", L"photo1\"x", L"photo1\" /L \"", L"photo1<", L"photo1>", L"photo1|",
          L"photo1?", L"photo1*", L"C:1", L"photo1\tx"}) {
        EXPECT_FALSE(IsUsableCopyName(W(bad))) << S(W(bad)).size();
    }
}

TEST(CopyPaths, DeviceNamesAreNoFolderNames) {
    for (wchar_t const* device : {L"con", L"NUL", L"Aux", L"prn", L"com1", L"LPT9", L"nul.txt",
                                  L"con .x", L"x\\com3", L"conout$", L"CONIN$", L"com\u00B9"}) {
        EXPECT_FALSE(IsUsableCopyName(W(device))) << S(W(device)).size();
    }
    for (wchar_t const* name :
         {L"com", L"com0", L"com10", L"lpt", L"console", L"nul_1", L"xcon", L"com1x", L"x.nul"}) {
        EXPECT_TRUE(IsUsableCopyName(W(name))) << S(W(name)).size();
    }
}

TEST(CopyPaths, ShortNamesOfADestinationNotYetMadeAreSeenThrough) {
    batch_test::TempDir dir;
    std::wstring source = dir / L"photo long name";
    ASSERT_TRUE(CreateDirectoryW(source.c_str(), nullptr));
    wchar_t buffer[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(source.c_str(), buffer, MAX_PATH));
    std::wstring alias = buffer;
    ASSERT_NE(source, alias); // the alias differs, or this test would show nothing
    C_WString src(source.c_str());
    // Destinations below the source, spelt through its alias, that do not exist yet.
    EXPECT_TRUE(IsSelfCopy(src, C_WString((alias + L"\\new\\out").c_str())));
    EXPECT_TRUE(IsSelfCopy(C_WString(alias.c_str()), C_WString((source + L"\\new").c_str())));
    EXPECT_TRUE(IsSelfCopy(src, C_WString((alias + L"\\").c_str())));
    EXPECT_FALSE(IsSelfCopy(src, C_WString((dir / L"photo long\\new").c_str())));
}

TEST(CopyPaths, PathFormsTheFileCallsTake) {
    // Folders take the \\?\ form from 248 characters on, CreateDirectory's limit.
    for (size_t length : {246u, 247u, 248u, 249u}) {
        std::wstring path = L"C:\\" + std::wstring(length - 3, L'a');
        std::wstring expected = length >= 248 ? L"\\\\?\\" + path : path;
        EXPECT_EQ(expected, S(FileCallPath(C_WString(path.c_str())))) << length;
    }
    // Devices, volume names and GLOBALROOT are left alone (and refused by the plan); the
    // drive and share forms are understood.
    std::wstring device = L"\\\\.\\C:\\" + std::wstring(300, L'a');
    EXPECT_EQ(device, S(FileCallPath(C_WString(device.c_str()))));
    for (wchar_t const* odd : {L"\\\\.\\C:\\x", L"//./pipe/x", L"\\\\?\\Volume{1234}\\x",
                               L"\\\\?\\GLOBALROOT\\Device\\x", L"\\\\?\\x", L"\\\\?\\"}) {
        EXPECT_TRUE(IsOddPathForm(W(odd))) << S(W(odd)).size();
    }
    for (wchar_t const* plain : {L"\\\\?\\C:\\x", L"\\\\?\\c:", L"\\\\?\\UNC\\server\\share",
                                 L"\\\\server\\share", L"C:\\x", L"x"}) {
        EXPECT_FALSE(IsOddPathForm(W(plain))) << S(W(plain)).size();
    }
    // The folder the system opens: trailing dots and blanks of the last part go, except in the
    // \\?\ form and where nothing else is left.
    EXPECT_EQ(L"C:\\a\\photo", S(OpenedFolderName(W(L"C:\\a\\photo. ."))));
    EXPECT_EQ(L"C:\\a.\\photo", S(OpenedFolderName(W(L"C:\\a.\\photo "))));
    EXPECT_EQ(L"\\\\?\\C:\\photo.", S(OpenedFolderName(W(L"\\\\?\\C:\\photo."))));
    EXPECT_EQ(L"C:\\a\\..", S(OpenedFolderName(W(L"C:\\a\\.."))));
}
