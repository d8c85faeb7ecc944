// The tree copier's engine: one walk into several targets, the abort, a locked source file,
// and that each source file is read once whatever the number of targets.
#include "copier/C_TreeCopier.h"
#include "xcopy/xcopy_helpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace xcopytest;
using copier::C_TreeCopier;
using copier::CopyOptions;
using copier::CopyOutcome;
using copier::FailureKind;

namespace {

// ReadFile and CopyFileExW as this program calls them, counted: the copier is linked in, so
// its calls go through this program's import table.
std::atomic<unsigned long long> g_readBytes{0};
std::atomic<int> g_wholeCopies{0};
decltype(&ReadFile) g_realReadFile = nullptr;
decltype(&CopyFileExW) g_realCopyFileEx = nullptr;

BOOL WINAPI CountingReadFile(HANDLE h, LPVOID buffer, DWORD size, LPDWORD got,
                             LPOVERLAPPED overlapped) {
    BOOL ok = g_realReadFile(h, buffer, size, got, overlapped);
    if (ok && got)
        g_readBytes.fetch_add(*got);
    return ok;
}

BOOL WINAPI CountingCopyFileEx(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine, LPVOID data,
                               LPBOOL cancel, DWORD flags) {
    g_wholeCopies.fetch_add(1);
    return g_realCopyFileEx(from, to, routine, data, cancel, flags);
}

// Points this module's import slot of `real` at `hook`; the old value goes to *saved.
bool PatchImport(void* real, void* hook, void** saved) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name;
         ++d) {
        for (auto* slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot; ++slot) {
            if (*slot != real)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
                return false;
            *saved = *slot;
            *slot = hook;
            VirtualProtect(slot, sizeof *slot, old, &old);
            return true;
        }
    }
    return false;
}

unsigned long long TreeBytes(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Long(dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    unsigned long long n = 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                 ? TreeBytes(dir + L"\\" + name)
                 : (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

class CopierTree : public ::testing::Test {
protected:
    void SetUp() override {
        counts = MakeSampleTree(src);
        bytes = TreeBytes(src);
    }
    std::vector<std::wstring> Targets(int n) const {
        std::vector<std::wstring> out;
        for (int i = 1; i <= n; ++i)
            out.push_back(temp / (L"写し" + std::to_wstring(i)));
        return out;
    }
    TempDir temp;
    std::wstring src = temp / L"元フォルダ";
    SampleCounts counts{};
    unsigned long long bytes = 0;
    std::atomic<int> abort{0};
};

// Sets the abort flag once the given number of bytes is written, and notes what was written
// by then.
class AbortAfter : public copier::I_CopyObserver {
public:
    AbortAfter(std::atomic<int>& flag, unsigned long long bytes) : m_flag(flag), m_bytes(bytes) {}
    void Progress(const copier::CopyCounts& counts) override {
        if (m_flag.load() || counts.bytes < m_bytes)
            return;
        m_flag.store(1);
        at = counts.bytes;
        when = GetTickCount();
    }
    unsigned long long at = 0;
    DWORD when = 0;

private:
    std::atomic<int>& m_flag;
    unsigned long long m_bytes;
};

} // namespace

TEST_F(CopierTree, EveryTargetGetsTheWholeTreeWhateverTheWriterCount) {
    struct Row {
        int targets;
        int writers;
    } rows[] = {{1, 1}, {8, 1}, {8, 3}, {5, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.targets) + " targets, " + std::to_string(row.writers) +
                     " writers");
        CopyOptions options;
        options.writers = row.writers;
        C_TreeCopier copier(options, abort);
        const auto targets = Targets(row.targets);
        EXPECT_EQ(CopyOutcome::kDone, copier.Copy(src, targets));
        ASSERT_EQ(static_cast<size_t>(row.targets), copier.Results().size());
        CompareRules rules;
        rules.readOnlyKept = false;
        rules.folderTimes = false;
        for (int t = 0; t < row.targets; ++t) {
            EXPECT_TRUE(copier.Results()[t].whole);
            EXPECT_EQ(counts.all, copier.Results()[t].files);
            EXPECT_EQ("", CompareTrees(src, targets[t], rules)) << t;
        }
        EXPECT_EQ(bytes * row.targets, copier.BytesDone());
        EXPECT_EQ(counts.all * row.targets, copier.FilesDone());
        for (const auto& t : targets)
            RemoveTree(t);
    }
}

TEST_F(CopierTree, EachSourceFileIsReadOnceForAllTargets) {
    ASSERT_TRUE(PatchImport(reinterpret_cast<void*>(&ReadFile),
                            reinterpret_cast<void*>(&CountingReadFile),
                            reinterpret_cast<void**>(&g_realReadFile)));
    ASSERT_TRUE(PatchImport(reinterpret_cast<void*>(&CopyFileExW),
                            reinterpret_cast<void*>(&CountingCopyFileEx),
                            reinterpret_cast<void**>(&g_realCopyFileEx)));
    CopyOptions options;
    options.writers = 4;
    C_TreeCopier copier(options, abort);
    g_readBytes.store(0);
    g_wholeCopies.store(0);
    EXPECT_EQ(CopyOutcome::kDone, copier.Copy(src, Targets(8)));
    const unsigned long long read = g_readBytes.load();
    const int whole = g_wholeCopies.load();
    void* unused = nullptr;
    PatchImport(reinterpret_cast<void*>(&CountingReadFile), reinterpret_cast<void*>(g_realReadFile),
                &unused);
    PatchImport(reinterpret_cast<void*>(&CountingCopyFileEx),
                reinterpret_cast<void*>(g_realCopyFileEx), &unused);
    EXPECT_EQ(bytes, read);
    EXPECT_EQ(0, whole) << "plain files never go through CopyFileExW";
    EXPECT_EQ(bytes * 8, copier.BytesDone());
}

TEST_F(CopierTree, AbortRemovesThePartialFileAndWritesNothingAfter) {
    // Sorted before every other name of the sample tree: the rest would come after it.
    std::string large(24u << 20, 'x');
    ASSERT_TRUE(PutFile(src + L"\\0large.bin", large));
    CopyOptions options;
    options.writers = 2;
    options.progressMs = 0;
    AbortAfter stopper(abort, 3u << 20);
    C_TreeCopier copier(options, abort, &stopper);
    const auto targets = Targets(4);
    EXPECT_EQ(CopyOutcome::kAborted, copier.Copy(src, targets));
    const DWORD returned = GetTickCount();
    ASSERT_NE(0u, stopper.at) << "never aborted";
    EXPECT_LE(returned - stopper.when, 200u);
    EXPECT_EQ(stopper.at, copier.BytesDone()) << "written after the abort";
    for (size_t t = 0; t < targets.size(); ++t) {
        EXPECT_FALSE(Exists(targets[t] + L"\\0large.bin")) << t;
        EXPECT_FALSE(Exists(targets[t] + L"\\a.txt")) << t;
        EXPECT_FALSE(copier.Results()[t].whole);
        EXPECT_EQ(FailureKind::kInterrupted, copier.Results()[t].failure.kind);
    }
}

TEST_F(CopierTree, ALockedSourceFileFailsEveryTargetByNameWhileTheRestIsCopied) {
    // Held open without sharing: nobody else can read it while this handle lives.
    HANDLE lock = CreateFileW(Long(src + L"\\big.bin").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    CopyOptions options;
    options.writers = 2;
    C_TreeCopier copier(options, abort);
    const auto targets = Targets(3);
    const CopyOutcome outcome = copier.Copy(src, targets);
    CloseHandle(lock);
    EXPECT_EQ(CopyOutcome::kFailures, outcome);
    for (size_t t = 0; t < targets.size(); ++t) {
        const auto& r = copier.Results()[t];
        EXPECT_FALSE(r.whole);
        EXPECT_EQ(FailureKind::kFile, r.failure.kind);
        EXPECT_EQ(L"big.bin", r.failure.path);
        EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), r.failure.error);
        EXPECT_EQ(counts.all - 1, r.files);
        EXPECT_FALSE(Exists(targets[t] + L"\\big.bin"));
        EXPECT_EQ("inside", GetFile(targets[t] + L"\\sub\\hiddendir\\inside.txt"));
    }
}
