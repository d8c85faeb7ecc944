// End-to-end scenarios: each starts Kasumido.exe in a scratch working folder and drives its
// dialog; the disk is checked after every run.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {

std::wstring g_exe;

const int kTextGroup[] = {1020, 1021, 1022, 1023, 1024, 1012, 1011, 1013, 1015, 1018};

// A tree with nested and empty folders, a hidden file, an empty file and Japanese names.
void MakeSampleTree(std::wstring const& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    WriteBytes(root + L"\\a.txt", "hello\r\n");
    WriteBytes(root + L"\\日本語ファイル.txt", Sjis(L"霞堂のテスト\r\n"));
    WriteBytes(root + L"\\zero.txt", "");
    WriteBytes(root + L"\\secret.dat", "hidden bytes");
    SetFileAttributesW((root + L"\\secret.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((root + L"\\empty").c_str(), nullptr);
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    CreateDirectoryW((root + L"\\sub\\deeper").c_str(), nullptr);
    std::string binary;
    for (int i = 0; i < 2560; ++i) {
        binary.push_back(static_cast<char>(i & 0xFF));
    }
    WriteBytes(root + L"\\sub\\deeper\\data.bin", binary);
    CreateDirectoryW((root + L"\\サブ").c_str(), nullptr);
    CreateDirectoryW((root + L"\\サブ\\空").c_str(), nullptr);
}

// Many small files, so that one copy takes long enough to be interrupted.
void AddManyFiles(std::wstring const& root, int count) {
    std::wstring dir = root + L"\\many";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::string block(1024, 'k');
    for (int i = 0; i < count; ++i) {
        WriteBytes(dir + L"\\f" + std::to_wstring(i) + L".txt", block);
    }
}

std::string Lines(std::vector<std::wstring> const& lines) {
    std::string bytes;
    for (auto const& line : lines) {
        bytes += Sjis(line) + "\r\n";
    }
    return bytes;
}

std::string ReadOr(std::wstring const& path) {
    std::string bytes;
    if (!ReadBytes(path, &bytes)) {
        return "<missing>";
    }
    return bytes;
}

int CountLines(std::wstring const& path) {
    std::string bytes;
    if (!ReadBytes(path, &bytes)) {
        return 0;
    }
    int n = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == '\r' && bytes[i + 1] == '\n') {
            ++n;
        }
    }
    return n;
}

std::wstring Slashes(std::wstring path) {
    for (auto& c : path) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    return path;
}

// Names in a folder (not recursive).
std::vector<std::wstring> Names(std::wstring const& dir) {
    std::vector<std::wstring> names;
    for (Entry const& e : ListTree(dir)) {
        if (e.path.find(L'\\') == std::wstring::npos) {
            names.push_back(e.path);
        }
    }
    return names;
}

bool NoContainer(std::wstring const& path) {
    bool missing = !Exists(path);
    CHECK(missing);
    return missing;
}

// ---------------------------------------------------------------------------------------------

struct ControlWant {
    int id;
    wchar_t const* cls;
    wchar_t const* text;
    int x, y, w, h;
    DWORD style; // as the template stores it
};

const DWORD kDefButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
const DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
const DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
const DWORD kList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
const DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
const DWORD kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

const ControlWant kTemplate[] = {
    {1, L"Button", L"生成開始", 357, 262, 50, 25, kDefButton},
    {-1, L"Static", L"連結文字その１", 27, 94, 51, 8, kLabel},
    {-1, L"Static", L"連結文字その２", 159, 95, 51, 8, kLabel},
    {-1, L"Static", L"種類", 301, 95, 17, 8, kLabel},
    {1001, L"Edit", L"", 217, 92, 40, 14, kEdit},
    {1002, L"Edit", L"", 89, 91, 40, 14, kEdit},
    {-1, L"Static", L"フォルダ名生成ルール", 24, 124, 68, 8, kLabel},
    {-1, L"Static", L"コピー元", 19, 20, 27, 8, kLabel},
    {1005, L"Edit", L"", 59, 18, 275, 14, kEdit},
    {1006, L"Edit", L"", 59, 45, 275, 14, kEdit},
    {1007, L"Button", L"参照", 347, 18, 50, 14, kButton},
    {1008, L"Button", L"参照", 347, 46, 50, 14, kButton},
    {1009, L"Edit", L"", 240, 254, 40, 14, kEdit},
    {-1, L"Static", L"個コピーを行う", 287, 257, 52, 8, kLabel},
    {1015, L"ComboBox", nullptr, 40, 225, 166, 72, kList},
    {1023, L"Static", L"テキスト文字生成ルール", 20, 211, 77, 8, kLabel},
    {1020, L"Static", L"連結文字その１", 23, 184, 51, 8, kLabel},
    {1021, L"Static", L"連結文字その２", 155, 184, 51, 8, kLabel},
    {1022, L"Static", L"連結文字その３", 281, 184, 51, 8, kLabel},
    {1011, L"Edit", L"", 213, 182, 48, 14, kEdit},
    {1012, L"Edit", L"", 81, 182, 48, 14, kEdit},
    {1013, L"Edit", L"", 339, 182, 48, 14, kEdit},
    {-1, L"Static", L"コピー先", 20, 46, 27, 8, kLabel},
    {1014, L"ComboBox", nullptr, 102, 123, 169, 72, kList},
    {1016, L"ComboBox", nullptr, 329, 93, 70, 72, kList},
    {-1, L"Button", L"フォルダ名設定", 7, 68, 406, 81, kGroup},
    {-1, L"Button", L"生成テキストの出力文字設定", 7, 158, 405, 89, kGroup},
    {1024, L"Static", L"必ず先頭に挿入する文字", 233, 228, 82, 8, kLabel},
    {1018, L"Edit", L"", 320, 225, 81, 14, kEdit},
    {1004, L"ComboBox", nullptr, 16, 254, 143, 33, kList | CBS_SORT},
    {2, L"Button", L"読み込む", 169, 252, 42, 16, kButton},
    {1019, L"Button", L"コピー先にテキストを生成する", 295, 168, 106, 10, kCheck},
    // Added in free space: number options, structure only, and the preview band.
    {1032, L"Static", L"開始番号", 282, 125, 32, 8, kLabel},
    {1033, L"Edit", L"", 316, 122, 38, 13, kEdit},
    {1034, L"Static", L"桁数", 360, 125, 17, 8, kLabel},
    {1035, L"Edit", L"", 379, 122, 20, 13, kEdit},
    {1036, L"Button", L"フォルダ構成のみ", 102, 137, 110, 10, kCheck},
    {1030, L"Static", L"", 16, 272, 334, 9, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS},
    {1031, L"Static", L"", 16, 282, 334, 9, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS},
};

void CheckStyle(ControlWant const& want, HWND hwnd) {
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    std::wstring cls = want.cls;
    std::string name =
        "control " + std::to_string(want.id) + " " + Utf8(want.text ? want.text : L"");
    auto require = [&](bool ok, char const* what) {
        if (!ok) {
            Report(__FILE__, __LINE__, name + ": " + what);
        }
    };
    if (cls == L"Edit") {
        require(style & ES_AUTOHSCROLL, "auto-scroll");
        require(style & WS_TABSTOP, "tab stop");
        require((style & WS_BORDER) || (ex & WS_EX_CLIENTEDGE), "border");
    } else if (cls == L"Static") {
        require((style & SS_TYPEMASK) == SS_LEFT, "left aligned");
        require(style & WS_GROUP, "starts a group");
    } else if (cls == L"ComboBox") { // the list, not the box, keeps the scroll bar
        require((style & 3) == CBS_DROPDOWNLIST, "drop-down list");
        require(style & WS_TABSTOP, "tab stop");
        require(((style & CBS_SORT) != 0) == (want.id == 1004), "sorted only for profiles");
    } else if (want.id == 1) {
        require((style & 0x0F) == BS_DEFPUSHBUTTON, "default push button");
        require(style & WS_TABSTOP, "tab stop");
    } else if (want.id == 1019 || want.id == 1036) {
        require((style & 0x0F) == BS_AUTOCHECKBOX, "automatic check box");
        require(style & WS_TABSTOP, "tab stop");
    } else if (want.id == -1) {
        require((style & 0x0F) == BS_GROUPBOX, "group box");
    } else {
        require((style & 0x0F) == BS_PUSHBUTTON, "push button");
        require(style & WS_TABSTOP, "tab stop");
    }
}

template <class T> T Take(unsigned char const*& p) {
    T v;
    memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

std::wstring TakeString(unsigned char const*& p) {
    std::wstring s;
    for (;;) {
        wchar_t c = Take<wchar_t>(p);
        if (c == 0) {
            return s;
        }
        s += c;
    }
}

void CheckResources() {
    HMODULE module = LoadLibraryExW(g_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    CHECK(module != nullptr);
    if (module == nullptr) {
        return;
    }
    WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    HRSRC dialog = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(101), japanese);
    CHECK(dialog != nullptr);
    if (dialog != nullptr) {
        auto p = static_cast<unsigned char const*>(LockResource(LoadResource(module, dialog)));
        CHECK_EQ_I(1, Take<WORD>(p));      // extended template
        CHECK_EQ_I(0xFFFF, Take<WORD>(p)); // signature
        Take<DWORD>(p);                    // help ID
        Take<DWORD>(p);                    // extended style
        CHECK_EQ_I(0x80C800C8, Take<DWORD>(p));
        CHECK_EQ_I(39, Take<WORD>(p)); // controls
        CHECK_EQ_I(0, Take<short>(p));
        CHECK_EQ_I(0, Take<short>(p));
        CHECK_EQ_I(423, Take<short>(p));
        CHECK_EQ_I(294, Take<short>(p));
        CHECK_EQ_I(0, Take<WORD>(p)); // no menu
        CHECK_EQ_I(0, Take<WORD>(p)); // dialog class
        CHECK_EQ_W(L"Kasumido", TakeString(p));
        CHECK_EQ_I(8, Take<WORD>(p));
        CHECK_EQ_I(400, Take<WORD>(p));
        Take<BYTE>(p); // italic
        CHECK_EQ_I(SHIFTJIS_CHARSET, Take<BYTE>(p));
        CHECK_EQ_W(L"MS Shell Dlg", TakeString(p));
        // Every control as stored: styles, positions, identifiers, classes and texts.
        for (ControlWant const& c : kTemplate) {
            p = reinterpret_cast<unsigned char const*>((reinterpret_cast<uintptr_t>(p) + 3) & ~3u);
            Take<DWORD>(p); // help ID
            CHECK_EQ_I(0, Take<DWORD>(p));
            DWORD style = Take<DWORD>(p);
            if (style != c.style) {
                Report(__FILE__, __LINE__,
                       "template style of " + std::to_string(c.id) + ": " + std::to_string(style));
            }
            CHECK_EQ_I(c.x, Take<short>(p));
            CHECK_EQ_I(c.y, Take<short>(p));
            CHECK_EQ_I(c.w, Take<short>(p));
            CHECK_EQ_I(c.h, Take<short>(p));
            CHECK_EQ_I(c.id, static_cast<int>(Take<DWORD>(p)));
            unsigned char const* q = p;
            if (Take<WORD>(q) == 0xFFFF) {
                const std::map<std::wstring, int> atoms = {
                    {L"Button", 0x80}, {L"Edit", 0x81}, {L"Static", 0x82}, {L"ComboBox", 0x85}};
                Take<WORD>(p);
                CHECK_EQ_I(atoms.at(c.cls), Take<WORD>(p));
            } else {
                CHECK(_wcsicmp(c.cls, TakeString(p).c_str()) == 0);
            }
            q = p;
            if (Take<WORD>(q) == 0xFFFF) {
                p = q + 2;
                CHECK(c.text == nullptr);
            } else {
                CHECK_EQ_W(c.text != nullptr ? c.text : L"", TakeString(p));
            }
            p += Take<WORD>(p); // creation data
        }
    }
    HRSRC group = FindResourceExW(module, RT_GROUP_ICON, MAKEINTRESOURCEW(106), japanese);
    CHECK(group != nullptr);
    if (group != nullptr) {
        auto p = static_cast<unsigned char const*>(LockResource(LoadResource(module, group)));
        Take<WORD>(p);
        CHECK_EQ_I(1, Take<WORD>(p));
        int count = Take<WORD>(p);
        CHECK_EQ_I(8, count);
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            int size = Take<BYTE>(p);
            sizes.push_back(size == 0 ? 256 : size);
            Take<BYTE>(p);
            Take<BYTE>(p);
            Take<BYTE>(p);
            Take<WORD>(p);
            CHECK_EQ_I(32, Take<WORD>(p)); // bits per pixel
            Take<DWORD>(p);
            WORD id = Take<WORD>(p);
            // The largest is PNG-compressed, the others bitmaps.
            HRSRC image = FindResourceExW(module, RT_ICON, MAKEINTRESOURCEW(id), japanese);
            CHECK(image != nullptr);
            if (image != nullptr) {
                auto bytes =
                    static_cast<unsigned char const*>(LockResource(LoadResource(module, image)));
                bool png =
                    SizeofResource(module, image) > 8 && memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0;
                CHECK(png == (sizes.back() == 256));
            }
        }
        // Every size Windows picks at display scales from 100 to 200 %.
        CHECK((sizes == std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    }
    FreeLibrary(module);
}

HWND FindPickerPrompt(HWND picker) {
    struct Find {
        HWND found;
    } f = {nullptr};
    EnumChildWindows(
        picker,
        [](HWND child, LPARAM lParam) -> BOOL {
            wchar_t text[128] = {};
            GetWindowTextW(child, text, 128);
            if (wcscmp(text, L"参照元フォルダを選んでください。") == 0) {
                reinterpret_cast<Find*>(lParam)->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// The template as laid out, the start values, the icon, and the dialog without profiles.
void ScenarioDialog() {
    CheckResources();
    TempDir t(L"dialog");
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    HWND dialog = k.Dialog();
    // MapDialogRect does not work across processes: the dialog's base units follow from its
    // client size (423 x 294 units), and must reproduce that size exactly.
    RECT clientArea = {};
    GetClientRect(dialog, &clientArea);
    int baseX = (clientArea.right * 4 + 211) / 423;
    int baseY = (clientArea.bottom * 8 + 147) / 294;
    CHECK_EQ_I(MulDiv(423, baseX, 4), clientArea.right);
    CHECK_EQ_I(MulDiv(294, baseY, 8), clientArea.bottom);
    // Position and size are mapped separately, as the dialog manager does.
    auto mapRect = [&](ControlWant const& c) {
        RECT rc;
        rc.left = MulDiv(c.x, baseX, 4);
        rc.top = MulDiv(c.y, baseY, 8);
        rc.right = rc.left + MulDiv(c.w, baseX, 4);
        rc.bottom = rc.top + MulDiv(c.h, baseY, 8);
        return rc;
    };
    int index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        if (index >= static_cast<int>(sizeof kTemplate / sizeof kTemplate[0])) {
            Report(__FILE__, __LINE__, "more controls than the template has");
            break;
        }
        ControlWant const& want = kTemplate[index];
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        CHECK(_wcsicmp(cls, want.cls) == 0);
        CHECK_EQ_I(want.id & 0xFFFF, GetDlgCtrlID(child) & 0xFFFF);
        if (want.text != nullptr) {
            // The count and the first number start at 1, the width at 0.
            CHECK_EQ_W(want.id == 1009 || want.id == 1033 ? L"1"
                       : want.id == 1035                  ? L"0"
                                                          : want.text,
                       TextOf(child));
        }
        RECT expected = mapRect(want);
        RECT actual = {};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        CHECK_EQ_I(expected.left, actual.left);
        CHECK_EQ_I(expected.top, actual.top);
        CHECK_EQ_I(expected.right, actual.right);
        if (std::wstring(want.cls) != L"ComboBox") { // a closed list is shorter than its box
            CHECK_EQ_I(expected.bottom, actual.bottom);
        }
        CheckStyle(want, child);
    }
    CHECK_EQ_I(39, index);

    // Centred on the screen by its client size, and shown.
    RECT window = {}, client = {};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    CHECK_EQ_I((GetSystemMetrics(SM_CXSCREEN) >> 1) - (client.right >> 1), window.left);
    CHECK_EQ_I((GetSystemMetrics(SM_CYSCREEN) >> 1) - (client.bottom >> 1), window.top);
    CHECK(IsWindowVisible(dialog));

    // Start values.
    const std::vector<std::wstring> folderRules = {L"フォルダ名_種類_その1_その2",
                                                   L"フォルダ名_その1_その2_種類",
                                                   L"フォルダ名_その1_種類_その2"};
    const std::vector<std::wstring> textRules = {
        L"フォルダ名_その1_その2_その3", L"その1_フォルダ名_その2_その3",
        L"その1_その2_フォルダ名_その3", L"その1_その2_その3_フォルダ名"};
    const std::vector<std::wstring> kinds = {L"連番", L"英字"};
    auto checkCombo = [&](int id, std::vector<std::wstring> const& items) {
        CHECK_EQ_I(static_cast<long long>(items.size()), k.ComboCount(id));
        for (size_t i = 0; i < items.size(); ++i) {
            CHECK_EQ_W(items[i], k.ComboItem(id, static_cast<int>(i)));
        }
        CHECK_EQ_I(0, k.ComboSel(id));
    };
    checkCombo(1014, folderRules);
    checkCombo(1015, textRules);
    checkCombo(1016, kinds);
    CHECK_EQ_I(0, k.ComboCount(1004)); // no "list" folder
    CHECK_EQ_I(-1, k.ComboSel(1004));
    CHECK(!k.Checked(1019));
    for (int id : kTextGroup) {
        CHECK(!k.Enabled(id));
    }
    CHECK(k.Enabled(1019));

    // Loading without profiles does nothing, and neither does Escape; the dialog stays.
    k.SetText(1002, L"keep");
    k.Click(2);
    k.Key(1005, VK_ESCAPE);
    CHECK(k.NoBox(800));
    CHECK(IsWindowVisible(dialog));
    CHECK_EQ_W(L"keep", k.Text(1002));
    CHECK_EQ_I(0, k.ComboSel(1014));

    // The check box switches exactly the ten controls of the text group.
    std::map<HWND, bool> before;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        before[c] = IsWindowEnabled(c) != FALSE;
    }
    for (bool on : {true, false}) {
        k.Click(1019);
        CHECK(WaitUntil([&] { return k.Enabled(1018) == on; }, 5000));
        CHECK(k.Checked(1019) == on);
        for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(c);
            bool inGroup = false;
            for (int g : kTextGroup) {
                inGroup = inGroup || g == id;
            }
            bool expected = inGroup ? on : before[c];
            if ((IsWindowEnabled(c) != FALSE) != expected) {
                Report(__FILE__, __LINE__, "control " + std::to_string(id) + " enabled wrongly");
            }
        }
    }

    // Browsing and cancelling empties the edit.
    for (int button : {1007, 1008}) {
        int edit = button == 1007 ? 1005 : 1006;
        k.SetText(edit, L"C:\\before");
        k.Click(button);
        Box picker = k.WaitBox(15000);
        CHECK(picker.hwnd != nullptr);
        if (picker.hwnd == nullptr) {
            continue;
        }
        CHECK(WaitUntil([&] { return FindPickerPrompt(picker.hwnd) != nullptr; }, 5000));
        k.Press(picker, IDCANCEL);
        CHECK(k.WaitText(edit, L"", 5000));
    }
    k.Close();
}

// Three copies of a full tree with the summary file, then a second run (by Enter) into the
// same container, which empties the summary first.
void ScenarioCopy() {
    TempDir t(L"copy");
    std::wstring src = t / L"photo";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    Run run;
    run.src = src + L"\\"; // typed with a trailing separator
    run.dest = Slashes(t / L"out\\deep");
    run.count = L"3";
    run.text = true;
    Fill(k, run);
    if (!RunToCompletion(k)) {
        return;
    }
    std::wstring container = t / L"out\\deep\\photo";
    for (int i = 1; i <= 3; ++i) {
        SameTree(src, container + L"\\photo" + std::to_wstring(i));
    }
    CHECK((Names(container) ==
           std::vector<std::wstring>{L"outinfo.txt", L"photo1", L"photo2", L"photo3"}));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\nphoto3\r\n");
    DWORD attributes = GetFileAttributesW((container + L"\\photo2\\secret.dat").c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));

    // A second run into the same container asks before writing over the first run's copies;
    // No leaves them byte for byte.
    k.SetText(1009, L"2");
    k.Click(1);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(
        k.Expect(L"確認", L"コピー先に同じ名前のフォルダが 3 個あります。上書きしますか？", IDNO));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\nphoto3\r\n");
    SameTree(src, container + L"\\photo1");

    // Enter in an edit starts a run like the start button.
    k.Key(1009, VK_RETURN);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(
        k.Expect(L"確認", L"コピー先に同じ名前のフォルダが 3 個あります。上書きしますか？", IDYES));
    CHECK(k.Expect(L"メッセージ", L"コピーが終了しました。", IDOK, 120000));
    CHECK(WaitUntil([&] { return TextOf(k.Dialog()) == L"Kasumido"; }, 5000));
    CHECK(k.WaitText(1, L"生成開始", 5000));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\n");

    // A copy that cannot be made (a file holds its folder name) is not reported as done.
    WriteBytes(container + L"\\photo4", "in the way");
    k.SetText(1009, L"4");
    k.Click(1);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(
        k.Expect(L"確認", L"コピー先に同じ名前のフォルダが 4 個あります。上書きしますか？", IDYES));
    CHECK(k.Expect(L"メッセージ", L"コピーが終了しました。\n1 個のコピーに失敗しました。\nphoto4",
                   IDOK, 120000));
    CHECK(k.WaitText(1, L"生成開始", 5000));
    SameTree(src, container + L"\\photo3");
    k.Close();
}

// The counter kinds, the folder and text rules, Japanese joining texts and a joining text
// with a backslash; text output off writes no summary.
void ScenarioRules() {
    TempDir t(L"rules");
    std::wstring src = t / L"写真";
    CreateDirectoryW(src.c_str(), nullptr);
    WriteBytes(src + L"\\f.txt", "x");
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    // The preview follows every change: the first and last names, the first text line, and a
    // refusal's own text instead; nothing without a source.
    CHECK_EQ_W(L"", k.Text(1030));
    k.SetText(1005, src);
    k.SetText(1006, t / L"out");
    k.SetText(1009, L"100");
    k.SetText(1002, L"_控え");
    CHECK(k.WaitText(1030, L"写真1_控え … 写真100_控え", 5000));
    k.SetChecked(1019, true);
    k.SetText(1018, L"保存先:");
    CHECK(k.WaitText(1031, L"保存先:写真1_控え", 5000));
    k.SetText(1033, L"0");
    k.SetText(1035, L"3");
    CHECK(k.WaitText(1030, L"写真000_控え … 写真099_控え", 5000));
    k.SetText(1035, L"10");
    CHECK(k.WaitText(1030, L"桁数が不正です。", 5000));
    k.SetText(1009, L"2000000000");
    k.SelectCombo(1016, 1);
    CHECK(k.WaitText(1030, L"コピー先が認識できませんでした。", 5000)); // names too long
    k.SetText(1002, L"a|b");
    CHECK(k.WaitText(1030, L"連結文字に使えない文字が含まれています。", 5000));
    k.SetText(1005, L"");
    CHECK(k.WaitText(1030, L"", 5000));
    for (int id : {1002, 1018}) {
        k.SetText(id, L"");
    }
    k.SetText(1033, L"1");
    k.SetText(1035, L"0");
    k.SelectCombo(1016, 0);
    k.SetChecked(1019, false);
    struct Case {
        Run run;
        std::vector<std::wstring> folders;
        std::vector<std::wstring> lines; // empty: no summary expected
    };
    std::vector<Case> cases;
    {
        Case c;
        c.run.kind = 1; // letters
        c.run.dirRule = 2;
        c.run.dirCat1 = L"_";
        c.run.dirCat2 = L"x";
        c.run.txtRule = 1;
        c.run.txtCat1 = L"A";
        c.run.txtCat3 = L"C";
        c.run.txtFront = L"ID:";
        c.run.text = true;
        c.folders = {L"写真_ax", L"写真_bx", L"写真_cx"};
        c.lines = {L"ID:A.写真_ax.C", L"ID:A.写真_bx.C", L"ID:A.写真_cx.C"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.dirRule = 1;
        c.run.dirCat1 = L"の";
        c.run.dirCat2 = L"版";
        c.run.txtRule = 2;
        c.run.txtCat1 = L"甲";
        c.run.txtCat2 = L"乙";
        c.run.txtFront = L"前";
        c.run.text = true;
        c.folders = {L"写真の版1", L"写真の版2"};
        c.lines = {L"前甲.乙.写真の版1", L"前甲.乙.写真の版2"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"1";
        c.run.kind = 1;
        c.run.txtRule = 3;
        c.run.txtCat2 = L"B";
        c.run.txtFront = L"ID:";
        c.run.text = true;
        c.folders = {L"写真a"};
        c.lines = {L"ID:.B/写真a"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.dirCat1 = L"x\\y";
        c.run.dirCat2 = L"z";
        c.run.text = true;
        c.folders = {L"写真1x\\yz", L"写真2x\\yz"};
        c.lines = {L"yz", L"yz"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.text = false;
        c.folders = {L"写真1", L"写真2"};
        cases.push_back(c);
    }
    int n = 0;
    for (Case& c : cases) {
        ++n;
        c.run.src = src;
        c.run.dest = t / (L"out" + std::to_wstring(n));
        Fill(k, c.run);
        if (!RunToCompletion(k)) {
            continue;
        }
        std::wstring container = c.run.dest + L"\\写真";
        for (auto const& folder : c.folders) {
            std::wstring copy = container + L"\\" + folder;
            if (!IsDir(copy)) {
                Report(__FILE__, __LINE__, "case " + std::to_string(n) + ": no " + Utf8(copy));
            } else {
                SameTree(src, copy);
            }
        }
        std::string expected = c.lines.empty() ? "<missing>" : Lines(c.lines);
        if (ReadOr(container + L"\\outinfo.txt") != expected) {
            Report(__FILE__, __LINE__,
                   "case " + std::to_string(n) + ": outinfo.txt is \"" +
                       ReadOr(container + L"\\outinfo.txt") + "\"");
        }
    }
    k.Close();
}

// Every refusal of the start command with its message; nothing is created by a refused run.
void ScenarioRefusals() {
    TempDir t(L"refuse");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    const std::wstring same = L"コピー元＆コピー先が同一です。";
    const std::wstring noDest = L"コピー先が認識できませんでした。";
    const std::wstring noSrc = L"コピー元が認識できません。";
    const std::wstring badCount = L"生成回数が不正です。";
    struct Case {
        std::wstring src, dest, count, message;
    };
    const Case cases[] = {
        {src + L"\\", Slashes(src), L"1", same},      // equal after normalisation
        {L"", L"", L"1", same},                       // both empty: equality comes first
        {src, L"", L"1", noDest},                     // destination empty
        {t / L"nothere", t / L"out", L"1", noSrc},    // missing source
        {L"", t / L"out", L"1", noSrc},               // source empty
        {t / L"src\\a.txt", t / L"out", L"1", noSrc}, // a file is not a folder
        {src, t / L"out", L"0", badCount},
        {src, t / L"out", L"-3", badCount},
        {src, t / L"out", L"abc", badCount},
        {src, t / L"out", L"", badCount},
        {src, t / L"out", L"12abc", badCount}, // a number must be all of the text
        {src, t / L"out", L"2147483648", badCount},
        {src, t / L"out", L"99999999999999999999", badCount},
        {src, t.Path(), L"1", same}, // the container would be the source
        {src, t.Path() + L"\\", L"1", same},
        {src, src + L"\\inside", L"1", same},   // destination inside the source
        {t / L"SRC", t / L"src\\", L"1", same}, // same folder, other case
        {src, t / L"SRC\\sub\\..", L"1", same},
    };
    for (Case const& c : cases) {
        k.SetText(1005, c.src);
        k.SetText(1006, c.dest);
        k.SetText(1009, c.count);
        k.Click(1);
        if (!k.Expect(L"メッセージ", c.message, IDOK)) {
            Report(__FILE__, __LINE__,
                   "for \"" + Utf8(c.src) + "\" -> \"" + Utf8(c.dest) + "\" count \"" +
                       Utf8(c.count) + "\"");
        }
        CHECK_EQ_W(L"生成開始", k.Text(1));
    }
    NoContainer(t / L"out");
    CHECK(!Exists(src + L"\\inside"));

    // A joining text that would lead the copies out of the container.
    k.SetText(1005, src);
    k.SetText(1006, t / L"out");
    k.SetText(1009, L"1");
    k.SetText(1002, L"\\..\\..");
    k.Click(1);
    CHECK(k.Expect(L"メッセージ", noDest, IDOK));
    k.SetText(1002, L"");

    // Enter also reaches the checks.
    k.SetText(1005, src);
    k.SetText(1006, t / L"out");
    k.SetText(1009, L"x");
    k.Key(1006, VK_RETURN);
    CHECK(k.Expect(L"メッセージ", badCount, IDOK));

    // No to the question changes nothing.
    k.SetText(1009, L"1");
    k.Click(1);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDNO));
    CHECK(k.NoBox(500));
    NoContainer(t / L"out");

    // Two trailing separators still name the source's folder as the container.
    k.SetText(1005, src + L"\\\\");
    if (RunToCompletion(k)) {
        CHECK(IsDir(t / L"out\\src\\src1"));
        CHECK((Names(t / L"out") == std::vector<std::wstring>{L"src"}));
    }
    k.Close();
}

// 100 copies ask a second question; No leaves only the container.
void ScenarioHundred() {
    TempDir t(L"hundred");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    Run run;
    run.src = src;
    run.dest = t / L"out";
    run.count = L"100";
    run.text = true;
    Fill(k, run);
    k.Click(1);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(k.Expect(L"確認", L"複製回数が非常に多いですが、実行しても良いですか？", IDNO));
    CHECK(k.NoBox(800));
    CHECK(IsDir(t / L"out\\src"));
    CHECK(Names(t / L"out\\src").empty());
    CHECK_EQ_W(L"生成開始", k.Text(1));
    k.Close();
}

// Starts a long run of 99 copies (one question only) and waits until it has written lines.
bool StartLongRun(Kasumido& k, TempDir& t, std::wstring const& src, int lines) {
    Run run;
    run.src = src;
    run.dest = t / L"out";
    run.count = L"99";
    run.text = true;
    Fill(k, run);
    k.Click(1);
    if (!k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES)) {
        return false;
    }
    // 99 asks no second question: the run starts.
    bool running =
        WaitUntil([&] { return k.Text(1) == L"中止" || k.WaitBox(0).hwnd != nullptr; }, 15000);
    CHECK(running && k.Text(1) == L"中止");
    std::wstring outInfo = t / L"out\\src\\outinfo.txt";
    CHECK(WaitUntil([&] { return CountLines(outInfo) >= lines; }, 60000));
    return k.Text(1) == L"中止";
}

// Abort during a long run: the question (No goes on, Yes stops), the message, no further
// copies and no completion message; the last summary line names the interrupted copy.
void ScenarioAbort() {
    TempDir t(L"abort");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    AddManyFiles(src, 400);
    Kasumido k;
    if (!k.Start(g_exe, t.Path()) || !StartLongRun(k, t, src, 2)) {
        return;
    }
    std::wstring container = t / L"out\\src";
    // The title and the band show where the run stands, with the time left from the second
    // copy on.
    CHECK(WaitUntil(
        [&] { return TextOf(k.Dialog()).find(L"/99 - Kasumido") != std::wstring::npos; }, 5000));
    CHECK(WaitUntil(
        [&] {
            return k.Text(1030).find(L"/99 コピー中\u3000残り約 ") == 1 ||
                   k.Text(1030).find(L"/99 コピー中\u3000残り約 ") == 2;
        },
        30000));
    k.Click(1);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDNO));
    CHECK_EQ_W(L"中止", k.Text(1));
    k.Click(1);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDYES));
    CHECK(k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000));
    CHECK(k.WaitText(1, L"生成開始", 5000));
    CHECK(WaitUntil([&] { return TextOf(k.Dialog()) == L"Kasumido"; }, 5000));
    int lines = CountLines(container + L"\\outinfo.txt");
    CHECK(lines >= 2 && lines < 99);
    printf("aborted after %d of 99 copies had started\n", lines);
    // Nothing more happens: no completion message, no further line or copy.
    CHECK(k.NoBox(2000));
    CHECK_EQ_I(lines, CountLines(container + L"\\outinfo.txt"));
    CHECK(!Exists(container + L"\\src" + std::to_wstring(lines + 1)));
    std::string bytes = ReadOr(container + L"\\outinfo.txt");
    std::string last = "src" + std::to_string(lines) + "\r\n";
    CHECK(bytes.size() >= last.size() &&
          bytes.compare(bytes.size() - last.size(), last.size(), last) == 0);
    for (int i = 1; i < lines; ++i) {
        SameTree(src, container + L"\\src" + std::to_wstring(i));
    }
    DWORD pid = k.Pid();
    k.Close();
    // The interrupted copy may still be finishing by itself; let it end before cleaning up.
    WaitForChildren(pid, 15000);
}

// Closing the window during a run ends the program within a bounded time.
void ScenarioClose() {
    TempDir t(L"close");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    AddManyFiles(src, 400);
    Kasumido k;
    if (!k.Start(g_exe, t.Path()) || !StartLongRun(k, t, src, 1)) {
        return;
    }
    DWORD start = GetTickCount();
    DWORD pid = k.Pid();
    CHECK(k.Close(15000));
    printf("closed during a run: ended after %lu ms\n", GetTickCount() - start);
    int lines = CountLines(t / L"out\\src\\outinfo.txt");
    CHECK(lines < 99);
    WaitForChildren(pid, 15000);
}

void WriteProfile(std::wstring const& path, std::vector<std::wstring> const& lines) {
    WriteBytes(path, Lines(lines));
}

// Profiles: the list sorted, loading by button and by Escape, the example profile, a rule
// index beyond the list, two profiles in turn, a profile deleted after listing.
void ScenarioProfiles() {
    TempDir t(L"profiles");
    std::wstring list = t / L"list";
    CreateDirectoryW(list.c_str(), nullptr);
    WriteProfile(list + L"\\b.txt", {L"dir_cat1=_", L"dir_rule=1", L"dir_type=1", L"txt_enable=1",
                                     L"txt_front=ID:", L"make_count=20"});
    WriteProfile(list + L"\\c.txt", {L"txt_cat2=乙", L"make_count=0"});
    WriteProfile(list + L"\\a.txt", {L"dir_rule=5", L"dir_cat2=Z", L"dir_type=2"});
    WriteProfile(list + L"\\日本語.txt", {L"txt_cat1=甲"});
    WriteBytes(list + L"\\notes.dat", "dir_rule=2\r\n");
    std::wstring src = t / L"photo";
    CreateDirectoryW(src.c_str(), nullptr);
    WriteBytes(src + L"\\f.txt", "x");

    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    CHECK_EQ_I(4, k.ComboCount(1004));
    CHECK_EQ_W(L"a.txt", k.ComboItem(1004, 0));
    CHECK_EQ_W(L"b.txt", k.ComboItem(1004, 1));
    CHECK_EQ_W(L"c.txt", k.ComboItem(1004, 2));
    CHECK_EQ_W(L"日本語.txt", k.ComboItem(1004, 3));
    CHECK_EQ_I(0, k.ComboSel(1004));

    // The example profile, by the button.
    k.SelectCombo(1004, 1);
    k.Click(2);
    CHECK(k.WaitText(1002, L"_", 5000));
    CHECK_EQ_I(1, k.ComboSel(1014));
    CHECK_EQ_W(L"フォルダ名_その1_その2_種類", k.ComboItem(1014, k.ComboSel(1014)));
    CHECK_EQ_I(1, k.ComboSel(1016));
    CHECK(k.Checked(1019));
    for (int id : kTextGroup) {
        CHECK(k.Enabled(id));
    }
    CHECK_EQ_W(L"ID:", k.Text(1018));
    CHECK_EQ_W(L"20", k.Text(1009));
    CHECK_EQ_I(0, k.ComboSel(1015));

    // A second profile by Escape: its text keys apply, absent ones keep the first's values,
    // the integer keys always apply, a zero count leaves the count.
    k.SelectCombo(1004, 2);
    k.SelectCombo(1015, 2);
    k.Key(1005, VK_ESCAPE);
    CHECK(k.WaitText(1011, L"乙", 5000));
    CHECK(IsWindowVisible(k.Dialog()));
    CHECK_EQ_W(L"_", k.Text(1002));
    CHECK_EQ_W(L"ID:", k.Text(1018));
    CHECK_EQ_W(L"20", k.Text(1009));
    CHECK_EQ_I(0, k.ComboSel(1014));
    CHECK_EQ_I(0, k.ComboSel(1015));
    CHECK_EQ_I(0, k.ComboSel(1016));
    CHECK(!k.Checked(1019));
    for (int id : kTextGroup) {
        CHECK(!k.Enabled(id));
    }

    // A rule index beyond the list leaves no selection; the run then puts the counter last.
    // dir_type=2 means the sequence number.
    k.SelectCombo(1004, 0);
    k.SelectCombo(1016, 1);
    k.Click(2);
    CHECK(k.WaitText(1001, L"Z", 5000));
    CHECK_EQ_I(-1, k.ComboSel(1014));
    CHECK_EQ_I(0, k.ComboSel(1016));
    k.SetText(1005, src);
    k.SetText(1006, t / L"out");
    k.SetText(1009, L"2");
    if (RunToCompletion(k)) {
        CHECK((Names(t / L"out\\photo") == std::vector<std::wstring>{L"photo_Z1", L"photo_Z2"}));
    }

    // A profile deleted after the list was filled is created empty and resets the switches.
    DeleteFileW((list + L"\\日本語.txt").c_str());
    k.SelectCombo(1014, 2);
    k.SetChecked(1019, true);
    k.SelectCombo(1004, 3);
    k.Click(2);
    CHECK(WaitUntil([&] { return k.ComboSel(1014) == 0; }, 5000));
    CHECK(!k.Checked(1019));
    std::string bytes;
    CHECK(ReadBytes(list + L"\\日本語.txt", &bytes) && bytes.empty());
    k.Close();
}

// `make run` without a display: the real dialog filled for a run, a pause for the screenshot
// (the caller creates the file named by the third argument), then 3 copies.
void ScenarioDemo(std::vector<std::wstring> const& args) {
    if (args.size() < 5) {
        Report(__FILE__, __LINE__, "demo needs: workdir source destination shot-flag");
        return;
    }
    std::wstring work = args[1], src = args[2], dest = args[3], flag = args[4];
    Kasumido k;
    if (!k.Start(g_exe, work)) {
        return;
    }
    // The last sample profile (the Japanese one), loaded as a user would.
    k.SelectCombo(1004, k.ComboCount(1004) - 1);
    k.Click(2);
    WaitUntil([&] { return !k.Text(1018).empty() || !k.Text(1002).empty(); }, 3000);
    k.SetText(1005, src);
    k.SetText(1006, dest);
    k.SetText(1009, L"3");
    printf("demo: dialog ready\n");
    fflush(stdout);
    // The dialog's place on the screen, for the caller to crop its screenshot.
    RECT rc = {};
    GetWindowRect(k.Dialog(), &rc);
    std::wstring ready = flag + L".ready";
    WriteBytes(ready, std::to_string(rc.right - rc.left) + "x" +
                          std::to_string(rc.bottom - rc.top) + "+" + std::to_string(rc.left) + "+" +
                          std::to_string(rc.top) + "\n");
    if (!WaitUntil([&] { return Exists(flag); }, 60000)) {
        Report(__FILE__, __LINE__, "no screenshot was taken");
    }
    DeleteFileW(ready.c_str());
    DeleteFileW(flag.c_str());
    if (RunToCompletion(k)) {
        printf("demo: 3 copies made\n");
    }
    // A longer run into a second folder, for a picture of the title and the progress band
    // while copies are made; then aborted as a user would.
    k.SetText(1006, dest + L"-progress");
    k.SetText(1009, L"40");
    k.Click(1);
    if (k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES) &&
        WaitUntil([&] { return k.Text(1030).find(L"残り約") != std::wstring::npos; }, 60000)) {
        GetWindowRect(k.Dialog(), &rc);
        std::wstring running = flag + L"-run";
        WriteBytes(running + L".ready",
                   std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) +
                       "+" + std::to_string(rc.left) + "+" + std::to_string(rc.top) + "\n");
        WaitUntil([&] { return Exists(running); }, 60000);
        DeleteFileW((running + L".ready").c_str());
        DeleteFileW(running.c_str());
        k.Click(1);
        if (k.Expect(L"確認", L"中止しますか？", IDYES)) {
            k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000);
        }
        printf("demo: a run of 40 copies shown and aborted\n");
    }
    k.Close();
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        printf("usage: kasumido_e2e <Kasumido.exe> <dialog|copy|rules|refusals|hundred|abort|"
               "close|profiles|demo ...>\n");
        return 2;
    }
    g_exe = argv[1];
    if (!g_exe.empty() && g_exe[0] == L'/') {
        // A Unix path from the build: Wine sees it through drive Z:.
        g_exe = L"Z:" + g_exe;
        for (auto& c : g_exe) {
            if (c == L'/') {
                c = L'\\';
            }
        }
    }
    std::wstring scenario = argv[2];
    std::vector<std::wstring> rest(argv + 2, argv + argc);
    const std::map<std::wstring, std::function<void()>> scenarios = {
        {L"dialog", ScenarioDialog},
        {L"copy", ScenarioCopy},
        {L"rules", ScenarioRules},
        {L"refusals", ScenarioRefusals},
        {L"hundred", ScenarioHundred},
        {L"abort", ScenarioAbort},
        {L"close", ScenarioClose},
        {L"profiles", ScenarioProfiles},
        {L"demo", [&] { ScenarioDemo(rest); }},
    };
    auto it = scenarios.find(scenario);
    if (it == scenarios.end()) {
        printf("unknown scenario\n");
        return 2;
    }
    DWORD start = GetTickCount();
    it->second();
    printf("%s: %s in %lu ms\n", Utf8(scenario).c_str(), g_failures == 0 ? "passed" : "FAILED",
           GetTickCount() - start);
    LocalFree(argv);
    return g_failures == 0 ? 0 : 1;
}
