// Command-line reading of xcopy.exe: the shapes Kasumido and people type.
#include "tools/xcopy/xcopy_args.h"

#include <gtest/gtest.h>

using namespace xcopy;

namespace {

ParseResult Parse(const wchar_t* line, Options& o, std::wstring& bad,
                  const wchar_t* copycmd = nullptr) {
    return ParseArguments(SplitCommandLine(line), copycmd, o, bad);
}

} // namespace

TEST(XcopyArgs, KasumidoLineKeepsTheTrailingBackslashAndEverySwitch) {
    Options o;
    std::wstring bad;
    ASSERT_EQ(
        ParseResult::Ok,
        Parse(L"xcopy /E /C /H /O /Y \"C:\\data\\写真 1\" \"D:\\out\\写真 1\\写真 11\\\"", o, bad));
    EXPECT_EQ(L"C:\\data\\写真 1", o.source);
    EXPECT_EQ(L"D:\\out\\写真 1\\写真 11\\", o.dest);
    EXPECT_TRUE(o.destIsFolder);
    EXPECT_TRUE(o.subdirs && o.emptyDirs && o.keepGoing && o.hiddenFiles && o.security);
    EXPECT_EQ(1, o.overwrite);
    EXPECT_FALSE(o.quiet || o.keepAttributes || o.assumeDir);
}

TEST(XcopyArgs, SwitchesInAnyCaseGluedOrAfterThePaths) {
    Options o;
    std::wstring bad;
    ASSERT_EQ(ParseResult::Ok,
              Parse(L"\"C:\\Program Files\\x.exe\" src dst/s/h /-y /q/k /i", o, bad));
    EXPECT_EQ(L"src", o.source);
    EXPECT_EQ(L"dst", o.dest);
    EXPECT_FALSE(o.destIsFolder);
    EXPECT_TRUE(o.subdirs && o.hiddenFiles && o.quiet && o.keepAttributes && o.assumeDir);
    EXPECT_FALSE(o.emptyDirs);
    EXPECT_EQ(0, o.overwrite);

    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy \"a:/x/y\" b/E/Y", o, bad));
    EXPECT_EQ(L"a:\\x\\y", o.source) << "quoted slashes are separators";
    EXPECT_EQ(L"b", o.dest);
    EXPECT_TRUE(o.emptyDirs && o.subdirs);
}

TEST(XcopyArgs, CopycmdPresetsOverwriteAndTheCommandLineWins) {
    Options o;
    std::wstring bad;
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy a b", o, bad, L"/Y"));
    EXPECT_EQ(1, o.overwrite);
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy a b /-Y", o, bad, L"/Y"));
    EXPECT_EQ(0, o.overwrite);
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy a b", o, bad, L"/Z"));
    EXPECT_EQ(-1, o.overwrite) << "other switches in COPYCMD are ignored";
}

TEST(XcopyArgs, BadSwitchesAndPathCounts) {
    Options o;
    std::wstring bad;
    EXPECT_EQ(ParseResult::BadSwitch, Parse(L"xcopy a b /E /Z", o, bad));
    EXPECT_EQ(L"/Z", bad);
    EXPECT_EQ(ParseResult::BadSwitch, Parse(L"xcopy a b /EH", o, bad));
    // A letter whose low byte is "S" is not /S.
    EXPECT_EQ(ParseResult::BadSwitch, Parse(L"xcopy a b /\u0153", o, bad));
    EXPECT_EQ(ParseResult::BadSwitch, Parse(L"xcopy a b /\uFF33", o, bad));
    EXPECT_EQ(ParseResult::BadSwitch, Parse(L"xcopy a b /-", o, bad));
    // Quoted, a switch-like text is a path.
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy \"/E\" b", o, bad));
    EXPECT_EQ(L"\\E", o.source);
    EXPECT_FALSE(o.subdirs);
    EXPECT_EQ(ParseResult::BadCount, Parse(L"xcopy", o, bad));
    EXPECT_EQ(ParseResult::BadCount, Parse(L"xcopy /E", o, bad));
    EXPECT_EQ(ParseResult::BadCount, Parse(L"xcopy a b c", o, bad));
    EXPECT_EQ(ParseResult::BadCount, Parse(L"xcopy \"\" b", o, bad));
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy \"a b\"", o, bad));
    EXPECT_FALSE(o.destGiven);
    ASSERT_EQ(ParseResult::Ok, Parse(L"xcopy /?", o, bad));
    EXPECT_TRUE(o.help);
}
