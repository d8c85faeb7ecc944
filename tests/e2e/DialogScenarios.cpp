// The dialog as built: its template and icon in the executable, the controls as laid out
// and their start values, the text group switch and the folder pickers.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ScenarioHelpers.h"
#include "app/C_App.h"

namespace e2e {

namespace {

struct ControlWant {
    int id;
    wchar_t const* cls;
    wchar_t const* text;
    int x, y, w, h;
    DWORD style; // as the template stores it
    // Edits and combo boxes: the text of the label that names it (null: it has none).
    wchar_t const* label = nullptr;
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
    {1001, L"Edit", L"", 217, 92, 40, 14, kEdit, L"連結文字その２"},
    {1002, L"Edit", L"", 89, 91, 40, 14, kEdit, L"連結文字その１"},
    {-1, L"Static", L"フォルダ名生成ルール", 24, 124, 68, 8, kLabel},
    {-1, L"Static", L"コピー元", 19, 20, 27, 8, kLabel},
    {1005, L"Edit", L"", 59, 18, 275, 14, kEdit, L"コピー元"},
    {1006, L"Edit", L"", 59, 45, 275, 14, kEdit, L"コピー先"},
    {1007, L"Button", L"参照", 347, 18, 50, 14, kButton},
    {1008, L"Button", L"参照", 347, 46, 50, 14, kButton},
    {1009, L"Edit", L"", 240, 254, 40, 14, kEdit, L"個コピーを行う"},
    {-1, L"Static", L"個コピーを行う", 287, 257, 52, 8, kLabel},
    {1015, L"ComboBox", nullptr, 40, 225, 166, 72, kList, L"テキスト文字生成ルール"},
    {1023, L"Static", L"テキスト文字生成ルール", 20, 211, 77, 8, kLabel},
    {1020, L"Static", L"連結文字その１", 23, 184, 51, 8, kLabel},
    {1021, L"Static", L"連結文字その２", 155, 184, 51, 8, kLabel},
    {1022, L"Static", L"連結文字その３", 281, 184, 51, 8, kLabel},
    {1011, L"Edit", L"", 213, 182, 48, 14, kEdit, L"連結文字その２"},
    {1012, L"Edit", L"", 81, 182, 48, 14, kEdit, L"連結文字その１"},
    {1013, L"Edit", L"", 339, 182, 48, 14, kEdit, L"連結文字その３"},
    {-1, L"Static", L"コピー先", 20, 46, 27, 8, kLabel},
    {1014, L"ComboBox", nullptr, 102, 123, 169, 72, kList, L"フォルダ名生成ルール"},
    {1016, L"ComboBox", nullptr, 329, 93, 70, 72, kList, L"種類"},
    {-1, L"Button", L"フォルダ名設定", 7, 68, 406, 81, kGroup},
    {-1, L"Button", L"生成テキストの出力文字設定", 7, 158, 405, 89, kGroup},
    {1024, L"Static", L"必ず先頭に挿入する文字", 233, 228, 82, 8, kLabel},
    {1018, L"Edit", L"", 320, 225, 81, 14, kEdit, L"必ず先頭に挿入する文字"},
    {1004, L"ComboBox", nullptr, 16, 254, 143, 33, kList | CBS_SORT},
    {2, L"Button", L"読み込む", 169, 252, 42, 16, kButton},
    {1019, L"Button", L"コピー先にテキストを生成する", 295, 168, 106, 10, kCheck},
    // Added in free space: number options, structure only, and the preview band.
    {1032, L"Static", L"開始番号", 282, 125, 32, 8, kLabel},
    {1033, L"Edit", L"", 316, 122, 38, 13, kEdit, L"開始番号"},
    {1034, L"Static", L"桁数", 360, 125, 17, 8, kLabel},
    {1035, L"Edit", L"", 379, 122, 20, 13, kEdit, L"桁数"},
    {1036, L"Button", L"フォルダ構成のみ", 102, 137, 110, 10, kCheck},
    {1040, L"Button", L"内蔵コピー（高速）", 220, 137, 110, 10, kCheck},
    {1030, L"Static", L"", 16, 272, 334, 9, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS},
    {1031, L"Static", L"", 16, 282, 334, 9, kLabel | SS_NOPREFIX | SS_ENDELLIPSIS},
    // The names file of the list counter, in the folder-name group's free row.
    {1041, L"Static", L"名前リスト", 15, 80, 40, 8, kLabel},
    {1042, L"Edit", L"", 59, 78, 275, 12, kEdit, L"名前リスト"},
    {1043, L"Button", L"参照", 347, 78, 50, 12, kButton},
};

// The table keeps its own numbers as the independent check; the names used everywhere else
// must be those numbers.
static_assert(IDC_START == 1, "IDC_START is not the template's control");
static_assert(IDC_LOAD == 2, "IDC_LOAD is not the template's control");
static_assert(IDC_DIR_CAT2 == 1001, "IDC_DIR_CAT2 is not the template's control");
static_assert(IDC_DIR_CAT1 == 1002, "IDC_DIR_CAT1 is not the template's control");
static_assert(IDC_PROFILES == 1004, "IDC_PROFILES is not the template's control");
static_assert(IDC_SRC == 1005, "IDC_SRC is not the template's control");
static_assert(IDC_DEST == 1006, "IDC_DEST is not the template's control");
static_assert(IDC_BROWSE_SRC == 1007, "IDC_BROWSE_SRC is not the template's control");
static_assert(IDC_BROWSE_DEST == 1008, "IDC_BROWSE_DEST is not the template's control");
static_assert(IDC_COUNT == 1009, "IDC_COUNT is not the template's control");
static_assert(IDC_TXT_CAT2 == 1011, "IDC_TXT_CAT2 is not the template's control");
static_assert(IDC_TXT_CAT1 == 1012, "IDC_TXT_CAT1 is not the template's control");
static_assert(IDC_TXT_CAT3 == 1013, "IDC_TXT_CAT3 is not the template's control");
static_assert(IDC_DIR_RULE == 1014, "IDC_DIR_RULE is not the template's control");
static_assert(IDC_TXT_RULE == 1015, "IDC_TXT_RULE is not the template's control");
static_assert(IDC_DIR_TYPE == 1016, "IDC_DIR_TYPE is not the template's control");
static_assert(IDC_TXT_FRONT == 1018, "IDC_TXT_FRONT is not the template's control");
static_assert(IDC_TXT_ENABLE == 1019, "IDC_TXT_ENABLE is not the template's control");
static_assert(IDC_TXT_CAT1_LABEL == 1020, "IDC_TXT_CAT1_LABEL is not the template's control");
static_assert(IDC_TXT_CAT2_LABEL == 1021, "IDC_TXT_CAT2_LABEL is not the template's control");
static_assert(IDC_TXT_CAT3_LABEL == 1022, "IDC_TXT_CAT3_LABEL is not the template's control");
static_assert(IDC_TXT_RULE_LABEL == 1023, "IDC_TXT_RULE_LABEL is not the template's control");
static_assert(IDC_TXT_FRONT_LABEL == 1024, "IDC_TXT_FRONT_LABEL is not the template's control");
static_assert(IDC_PREVIEW_NAMES == 1030, "IDC_PREVIEW_NAMES is not the template's control");
static_assert(IDC_PREVIEW_LINE == 1031, "IDC_PREVIEW_LINE is not the template's control");
static_assert(IDC_DIR_START_LABEL == 1032, "IDC_DIR_START_LABEL is not the template's control");
static_assert(IDC_DIR_START == 1033, "IDC_DIR_START is not the template's control");
static_assert(IDC_DIR_WIDTH_LABEL == 1034, "IDC_DIR_WIDTH_LABEL is not the template's control");
static_assert(IDC_DIR_WIDTH == 1035, "IDC_DIR_WIDTH is not the template's control");
static_assert(IDC_TREE_ONLY == 1036, "IDC_TREE_ONLY is not the template's control");
static_assert(IDC_COPY_BUILTIN == 1040, "IDC_COPY_BUILTIN is not the template's control");
static_assert(IDC_NAME_LIST_LABEL == 1041, "IDC_NAME_LIST_LABEL is not the template's control");
static_assert(IDC_NAME_LIST == 1042, "IDC_NAME_LIST is not the template's control");
static_assert(IDC_BROWSE_NAME_LIST == 1043, "IDC_BROWSE_NAME_LIST is not the template's control");

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
        require(((style & CBS_SORT) != 0) == (want.id == IDC_PROFILES), "sorted only for profiles");
    } else if (want.id == IDC_START) {
        require((style & 0x0F) == BS_DEFPUSHBUTTON, "default push button");
        require(style & WS_TABSTOP, "tab stop");
    } else if (want.id == IDC_TXT_ENABLE || want.id == IDC_TREE_ONLY ||
               want.id == IDC_COPY_BUILTIN) {
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
    HRSRC dialog = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN), japanese);
    CHECK(dialog != nullptr);
    if (dialog != nullptr) {
        auto p = static_cast<unsigned char const*>(LockResource(LoadResource(module, dialog)));
        CHECK_EQ_I(1, Take<WORD>(p));      // extended template
        CHECK_EQ_I(0xFFFF, Take<WORD>(p)); // signature
        Take<DWORD>(p);                    // help ID
        Take<DWORD>(p);                    // extended style
        CHECK_EQ_I(0x80C800C8, Take<DWORD>(p));
        CHECK_EQ_I(43, Take<WORD>(p)); // controls
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
    HRSRC group = FindResourceExW(module, RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_KASUMIDO), japanese);
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

} // namespace

// The template as laid out, the start values, the icon, and the dialog without profiles.
void ScenarioDialog() {
    CheckResources();
    TempDir t(L"dialog");
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    HWND dialog = k.Dialog();
    // The focus starts in the source, and the start button stays the default.
    CHECK(WaitUntil([&] { return k.Focus() == k.Item(IDC_SRC); }, 5000));
    CHECK_EQ_I(MAKELONG(IDC_START, DC_HASDEFID), SendMessageW(dialog, DM_GETDEFID, 0, 0));
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
    // The controls in the order the dialog puts them at start-up (reading order, the tab and
    // z-order), each as the template lays it out.
    std::vector<HWND> zOrder;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        zOrder.push_back(child);
    }
    const size_t rows = sizeof C_App::kReadingOrder / sizeof C_App::kReadingOrder[0];
    CHECK_EQ_I(43, static_cast<long long>(zOrder.size()));
    CHECK_EQ_I(static_cast<long long>(rows), static_cast<long long>(zOrder.size()));
    for (size_t index = 0; index < zOrder.size(); ++index) {
        HWND child = zOrder[index];
        ControlWant const* found = nullptr;
        for (ControlWant const& c : kTemplate) {
            if ((c.id & 0xFFFF) == (GetDlgCtrlID(child) & 0xFFFF) &&
                (c.id != -1 || TextOf(child) == c.text)) {
                found = &c;
            }
        }
        if (found == nullptr) {
            Report(__FILE__, __LINE__,
                   "a control the template does not have: " + std::to_string(GetDlgCtrlID(child)));
            continue;
        }
        ControlWant const& want = *found;
        OrderedControl const* row = index < rows ? &C_App::kReadingOrder[index] : nullptr;
        if (row == nullptr || row->id != want.id ||
            (row->id == -1 && std::wstring(row->text) != want.text)) {
            Report(__FILE__, __LINE__,
                   "at place " + std::to_string(index) + " of the reading order: " +
                       std::to_string(want.id) + " " + Utf8(want.text ? want.text : L""));
        }
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        CHECK(_wcsicmp(cls, want.cls) == 0);
        if (want.text != nullptr) {
            // The count and the first number start at 1, the width at 0.
            CHECK_EQ_W(want.id == IDC_COUNT || want.id == IDC_DIR_START ? L"1"
                       : want.id == IDC_DIR_WIDTH                       ? L"0"
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
        // A screen reader names an edit or combo box after the static just before it.
        if (std::wstring(want.cls) == L"Edit" || std::wstring(want.cls) == L"ComboBox") {
            wchar_t before[32] = {};
            if (index > 0) {
                GetClassNameW(zOrder[index - 1], before, 32);
            }
            bool afterLabel = _wcsicmp(before, L"Static") == 0;
            if (afterLabel != (want.label != nullptr) ||
                (afterLabel && TextOf(zOrder[index - 1]) != want.label)) {
                Report(__FILE__, __LINE__,
                       "control " + std::to_string(want.id) + " does not follow its label " +
                           Utf8(want.label ? want.label : L"(none)"));
            }
        }
    }

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
    const std::vector<std::wstring> kinds = {L"連番", L"英字", L"リスト"};
    auto checkCombo = [&](int id, std::vector<std::wstring> const& items) {
        CHECK_EQ_I(static_cast<long long>(items.size()), k.ComboCount(id));
        for (size_t i = 0; i < items.size(); ++i) {
            CHECK_EQ_W(items[i], k.ComboItem(id, static_cast<int>(i)));
        }
        CHECK_EQ_I(0, k.ComboSel(id));
    };
    checkCombo(IDC_DIR_RULE, folderRules);
    checkCombo(IDC_TXT_RULE, textRules);
    checkCombo(IDC_DIR_TYPE, kinds);
    CHECK_EQ_I(0, k.ComboCount(IDC_PROFILES)); // no "list" folder
    CHECK_EQ_I(-1, k.ComboSel(IDC_PROFILES));
    CHECK(!k.Checked(IDC_TXT_ENABLE));
    for (int id : kTextGroup) {
        CHECK(!k.Enabled(id));
    }
    CHECK(k.Enabled(IDC_TXT_ENABLE));

    // Loading without profiles does nothing, and neither does Escape; the dialog stays.
    k.SetText(IDC_DIR_CAT1, L"keep");
    k.Click(IDC_LOAD);
    k.Key(IDC_SRC, VK_ESCAPE);
    CHECK(k.NoBox(800));
    CHECK(IsWindowVisible(dialog));
    CHECK_EQ_W(L"keep", k.Text(IDC_DIR_CAT1));
    CHECK_EQ_I(0, k.ComboSel(IDC_DIR_RULE));

    // The check box switches exactly the ten controls of the text group.
    std::map<HWND, bool> before;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        before[c] = IsWindowEnabled(c) != FALSE;
    }
    for (bool on : {true, false}) {
        k.Click(IDC_TXT_ENABLE);
        CHECK(WaitUntil([&] { return k.Enabled(IDC_TXT_FRONT) == on; }, 5000));
        CHECK(k.Checked(IDC_TXT_ENABLE) == on);
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

    // Tab walks the reading order's tab stops round and round (the text group enabled: then
    // every control that takes input is one), and reaches every enabled control that does.
    k.SetChecked(IDC_TXT_ENABLE, true);
    std::vector<HWND> stops;
    for (OrderedControl const& row : C_App::kReadingOrder) {
        HWND control = nullptr;
        for (HWND c : zOrder) {
            if ((GetDlgCtrlID(c) & 0xFFFF) == (row.id & 0xFFFF) &&
                (row.id != -1 || TextOf(c) == row.text)) {
                control = c;
            }
        }
        if (control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) &&
            IsWindowEnabled(control) && IsWindowVisible(control)) {
            stops.push_back(control);
        }
    }
    HWND focus = k.Focus();
    auto at = std::find(stops.begin(), stops.end(), focus);
    CHECK(at != stops.end());
    if (at != stops.end()) {
        size_t place = static_cast<size_t>(at - stops.begin());
        for (size_t step = 1; step <= stops.size(); ++step) {
            HWND from = k.Focus();
            PostMessageW(from, WM_KEYDOWN, VK_TAB, 0x000F0001);
            PostMessageW(from, WM_KEYUP, VK_TAB, 0xC00F0001);
            HWND want = stops[(place + step) % stops.size()];
            if (!WaitUntil([&] { return k.Focus() == want; }, 3000)) {
                Report(__FILE__, __LINE__,
                       "Tab from " + std::to_string(GetDlgCtrlID(from)) + " went to " +
                           std::to_string(GetDlgCtrlID(k.Focus())) + ", not to " +
                           std::to_string(GetDlgCtrlID(want)));
                break;
            }
        }
    }
    for (HWND c : zOrder) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        bool input =
            _wcsicmp(cls, L"Edit") == 0 || _wcsicmp(cls, L"ComboBox") == 0 ||
            (_wcsicmp(cls, L"Button") == 0 && (GetWindowLongW(c, GWL_STYLE) & 0x0F) != BS_GROUPBOX);
        if (input && IsWindowEnabled(c) &&
            std::find(stops.begin(), stops.end(), c) == stops.end()) {
            Report(__FILE__, __LINE__,
                   "Tab does not reach control " + std::to_string(GetDlgCtrlID(c)));
        }
    }
    k.SetChecked(IDC_TXT_ENABLE, false);

    // 参照 opens the picker owned by the dialog, which waits while it is open; Cancel (its
    // button, as a user presses it) leaves the edit as it was.
    for (int button : {IDC_BROWSE_SRC, IDC_BROWSE_DEST}) {
        int edit = button == IDC_BROWSE_SRC ? IDC_SRC : IDC_DEST;
        k.SetText(edit, L"C:\\before");
        k.Click(button);
        Box picker = k.WaitBox(15000);
        CHECK(picker.hwnd != nullptr);
        if (picker.hwnd == nullptr) {
            continue;
        }
        CHECK(WaitUntil([&] { return FindPickerPrompt(picker.hwnd) != nullptr; }, 5000));
        CHECK(GetWindow(picker.hwnd, GW_OWNER) == dialog);
        CHECK(!IsWindowEnabled(dialog));
        k.Press(picker, IDCANCEL);
        CHECK(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, 5000));
        CHECK(!k.WaitText(edit, L"", 1000));
        CHECK_EQ_W(L"C:\\before", k.Text(edit));
    }
    // The names file's 参照: a file dialog owned by the dialog; Cancel keeps the edit.
    k.SetText(IDC_NAME_LIST, L"C:\\before.txt");
    k.Click(IDC_BROWSE_NAME_LIST);
    Box open = k.WaitBox(15000);
    CHECK(open.hwnd != nullptr);
    if (open.hwnd != nullptr) {
        CHECK(GetWindow(open.hwnd, GW_OWNER) == dialog);
        CHECK(!IsWindowEnabled(dialog));
        k.Press(open, IDCANCEL);
        CHECK(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, 5000));
        CHECK_EQ_W(L"C:\\before.txt", k.Text(IDC_NAME_LIST));
    }
    k.Close();
}

} // namespace e2e
