// What the scenarios share: sample trees, summary files, folder listings, the program's path.
#include "ScenarioHelpers.h"

namespace e2e {

std::wstring g_exe;

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

bool StartRun(Kasumido& k, TempDir const& t, std::wstring const& src, std::wstring const& count) {
    Run run;
    run.src = src;
    run.dest = t / L"out";
    run.count = count;
    run.text = true;
    Fill(k, run);
    k.Click(IDC_START);
    return k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES);
}

} // namespace e2e
