#include "app/batch/Batch.h"

#include <windows.h>

#include <cstring>
#include <cwctype>
#include <vector>

#include "app/CopyMessages.h"
#include "app/CopyRun.h"
#include "app/Profile.h"
#include "app/batch/C_BatchFront.h"
#include "ktora/thread/C_GetOpt.h"

using ktora::C_WString;

namespace {

bool ParseIndex(C_WString const& text, int last, int* value) {
    int v = 0;
    if (!ParseCountText(text, &v) || v < 0 || v > last) {
        return false;
    }
    *value = v;
    return true;
}

// 0 or 1 into *on.
bool ParseSwitch(C_WString const& text, bool* on) {
    int value = 0;
    if (!ParseIndex(text, 1, &value)) {
        return false;
    }
    *on = value == 1;
    return true;
}

C_WString Option(wchar_t letter) {
    C_WString text(L"/");
    text += letter;
    return text;
}

} // namespace

int ParseBatchOptions(int argc, wchar_t* const* argv, BatchOptions* options, C_WString* error) {
    BatchOptions result;
    // The parser reorders its vector: it gets a copy, ended by a null entry as argv is.
    std::vector<wchar_t*> args(argv, argv + argc);
    args.push_back(nullptr);
    for (int i = 1; i < argc; ++i) {
        if (C_WString(args[i]) == L"/?") {
            result.help = true;
        }
    }
    if (result.help) {
        *options = result;
        return 1;
    }

    struct Given {
        wchar_t letter;
        C_WString value;
    };
    std::vector<Given> given;
    C_WString profile;
    bool hasProfile = false;
    ktora::C_GetOpt getopt;
    getopt.opterr() = 0;
    const char kLetters[] =
        "s:S:d:D:n:N:k:K:r:R:t:T:a:A:b:B:1:2:3:f:F:o:O:p:P:yYhHlLj:J:i:I:w:W:e:E:c:C:m:M:";
    for (;;) {
        int c = getopt.getopt(argc, args.data(), kLetters);
        if (c == -1) {
            break;
        }
        // The parser matches an option ":" against the separators of its letter list.
        if (c == '?' || c == ':') {
            wchar_t letter =
                c == ':' ? L':' : static_cast<wchar_t>(static_cast<unsigned char>(getopt.optopt()));
            *error = Option(letter);
            *error += c == '?' && std::strchr(kLetters, getopt.optopt()) != nullptr
                          ? L" オプションに引数が必要です。 (the option needs a value)"
                          : L" 無効なオプションです。 (unknown option)";
            return 0;
        }
        wchar_t letter = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        if (letter == L'y') {
            result.yes_to_all = true;
        } else if (letter == L'h') {
            result.help = true;
        } else if (letter == L'l') {
            result.list_only = true;
        } else if (letter == L'p') {
            profile = getopt.optarg();
            hasProfile = true;
        } else {
            given.push_back({letter, C_WString(getopt.optarg())});
        }
    }
    if (getopt.optind() < argc) {
        *error = L"余分な引数です: ";
        *error += args[static_cast<size_t>(getopt.optind())];
        *error += L" (unexpected argument)";
        return 0;
    }

    CopySettings& s = result.settings;
    if (hasProfile) {
        // Only a file is read: a device (com1) would block, and a mistyped name is not made.
        ProfileValues values;
        if (!ReadProfile(profile, &values, false)) {
            *error = L"プロファイルを開けません: ";
            *error += profile;
            *error += L" (cannot open the profile)";
            return 0;
        }
        // The dialog leaves a bad value's control alone; here nobody would see that.
        for (C_WString const& ignored : values.ignored) {
            C_WString note(L"プロファイルの値を無視しました: ");
            note += ignored;
            note += L"\n";
            C_BatchFront::Write(STD_ERROR_HANDLE, note.GetString());
        }
        if (values.bad_tree_only) {
            *error = L"プロファイルの値が不正です: dir_tree_only=";
            *error += values.dir_tree_only_text;
            *error += L" (value out of range)";
            return 0;
        }
        if (values.bad_copy_builtin) {
            *error = L"プロファイルの値が不正です: copy_builtin=";
            *error += values.copy_builtin_text;
            *error += L" (value out of range)";
            return 0;
        }
        ApplyProfile(values, &s);
        // Refused by the run with the field's own message, unless an option sets it.
        if (values.bad_start) {
            s.start_valid = false;
        }
        if (values.bad_width) {
            s.width_valid = false;
        }
    }
    // The joining texts, one option each.
    struct TextOption {
        wchar_t letter;
        C_WString JoiningTexts::*text;
    };
    const TextOption kTextOptions[] = {
        {L'a', &JoiningTexts::dir_cat1}, {L'b', &JoiningTexts::dir_cat2},
        {L'1', &JoiningTexts::txt_cat1}, {L'2', &JoiningTexts::txt_cat2},
        {L'3', &JoiningTexts::txt_cat3}, {L'f', &JoiningTexts::txt_front}};
    bool kindGiven = false;
    bool listGiven = false;
    for (Given const& g : given) {
        bool ok = true;
        for (TextOption const& t : kTextOptions) {
            if (g.letter == t.letter) {
                s.texts.*t.text = g.value;
            }
        }
        switch (g.letter) {
        case L's':
            s.source = g.value;
            break;
        case L'd':
            s.destination = g.value;
            break;
        case L'n':
            // A count that is no number is refused by the run, with the dialog's message.
            s.count_valid = ParseCountText(g.value, &s.count);
            s.count_from_list = false; // given: it must be the list's count
            break;
        case L'k':
            ok = ParseIndex(g.value, kCounterKindCount - 1, &s.counter_kind);
            kindGiven = true;
            break;
        case L'm':
            s.name_list = g.value;
            listGiven = true;
            break;
        case L'r':
            ok = ParseIndex(g.value, kFolderRuleCount - 1, &s.dir_rule);
            break;
        case L't':
            ok = ParseIndex(g.value, kTextRuleCount - 1, &s.txt_rule);
            break;
        case L'i':
            // Like the count: a value that is no number is refused by the run.
            s.start_valid = ParseCountText(g.value, &s.start);
            break;
        case L'w':
            s.width_valid = ParseCountText(g.value, &s.width);
            break;
        case L'e':
            ok = ParseSwitch(g.value, &s.tree_only);
            break;
        case L'j':
            ok = ParseCountText(g.value, &result.jobs) && result.jobs >= 1 &&
                 result.jobs <= kMaxJobs;
            break;
        case L'o':
            ok = ParseSwitch(g.value, &s.text_output);
            break;
        case L'c':
            ok = ParseSwitch(g.value, &s.copy_builtin);
            break;
        default:
            break;
        }
        if (!ok) {
            *error = Option(g.letter);
            *error += L" の値が不正です: ";
            *error += g.value;
            *error += L" (value out of range)";
            return 0;
        }
    }
    if (listGiven) {
        // /n, given anywhere, was seen above: without it the count is the list's.
        bool countGiven = false;
        for (Given const& g : given) {
            countGiven = countGiven || g.letter == L'n';
        }
        if (kindGiven && s.counter_kind != kCounterKindList) {
            *error = L"/m は /k 2 (リスト) とだけ使えます。 (/m goes with /k 2 only)";
            return 0;
        }
        s.counter_kind = kCounterKindList;
        s.count_from_list = !countGiven;
    } else if (s.counter_kind == kCounterKindList && s.name_list.Empty()) {
        *error = L"/k 2 には /m 名前リスト が必要です。 (/k 2 needs /m and a names file)";
        return 0;
    }
    *options = result;
    return 1;
}

wchar_t const* BatchUsage() {
    return L"使い方: kasumido-batch /s コピー元 /d コピー先 [/n 個数] [オプション]\n"
           L"  /s フォルダ  コピー元            /d フォルダ  コピー先 "
           L"(この中にコピー元の名前のフォルダを作る)\n"
           L"  /n 個数      コピーする数 (既定 1)\n"
           L"  /k 0|1|2     種類: 0 連番, 1 英字, 2 リスト (/m と)\n"
           L"  /m ファイル  名前リスト: 1 行に 1 つのフォルダ名 (# で始まる行と空行は飛ばす)。\n"
           L"               コピーする数は名前の数 (/n は省略できる、違えば拒否)\n"
           L"  /r 0..2      フォルダ名生成ルール   /t 0..3  テキスト文字生成ルール\n"
           L"  /a 文字 /b 文字           フォルダ名の連結文字その１, その２\n"
           L"  /1 文字 /2 文字 /3 文字   テキストの連結文字その１..その３\n"
           L"  /f 文字      必ず先頭に挿入する文字   /o 0|1  outinfo.txt を作らない/作る\n"
           L"  /p ファイル  プロファイル (list\\*.txt と同じキー) から始める\n"
           L"  /i 番号      連番の開始番号 (0..999999999, 既定 1)   /w 桁数  連番の桁数 (0..9, "
           L"0 は揃えない)\n"
           L"  /e 0|1       1: フォルダ構成のみ (ファイルはコピーしない)\n"
           L"  /c 0|1       コピーの方法: 0 システムの xcopy (既定), 1 内蔵コピー (高速)\n"
           L"  /j 数        同時に動かす xcopy の数, 内蔵コピーでは書き込むスレッドの数 (1..8, "
           L"既定 xcopy 1, 内蔵コピー CPU のコア数)\n"
           L"  /l           コピーせずに、作るフォルダ名 (と行) を表示する "
           L"(書けなくなったら終了コード 1)\n"
           L"  /y           確認にすべて「はい」と答える\n"
           L"終了コード: 0 完了, 1 中止前に拒否, 2 中止 (Ctrl+C), 3 失敗あり (コピー, "
           L"outinfo.txt)\n"
           L"\n"
           L"Usage: kasumido-batch /s source /d destination [/n count] [options]\n"
           L"  /k counter kind (0 numbers, 1 letters, 2 names file), /m names file (one folder "
           L"name\n"
           L"  a line; the count is the number of names), /r folder-name rule 0..2, /t text rule "
           L"0..3,\n"
           L"  /a /b folder-name joining texts, /1 /2 /3 text joining texts, /f leading text,\n"
           L"  /o 1 writes outinfo.txt, /p profile file to start from, /i first number, /w number\n"
           L"  width, /e 1 folder structure only, /c 1 the built-in copier (0 the system's xcopy,\n"
           L"  the default), /j parallel xcopy processes or the built-in copier's writer threads\n"
           L"  (1..8; default 1 xcopy, the core count built-in), /l list the plan and\n"
           L"  copy nothing, /y answers Yes to every question. Exit code 0 done, 1 refused, 2 "
           L"aborted (Ctrl+C), 3 some copies (or "
           L"outinfo.txt) failed.\n";
}

BatchExit BatchExitOf(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::kDone:
        return kBatchDone;
    case RunOutcome::kAborted:
        return kBatchAborted;
    case RunOutcome::kFailures:
        break;
    }
    return kBatchFailed;
}

BatchExit RunBatch(CopySettings const& settings, std::atomic<int> const& abort, I_CopyFront& front,
                   int jobs) {
    ktora::common::Pointer<CopyState> state =
        PrepareCopyRun(MakeCopyPlan(settings), front, jobs, settings.copy_builtin);
    if (state.IsNull()) {
        return kBatchRefused;
    }
    state->interrupt_aborts = true; // the copiers share this console: Ctrl+C reaches them too
    RunOutcome outcome = RunCopies(*state, abort, front);
    if (outcome == RunOutcome::kAborted) {
        front.Tell(kTellAborted, kTitleMessage);
    }
    return BatchExitOf(outcome);
}

BatchExit ListBatchPlan(CopySettings const& settings, I_CopyFront& front,
                        std::function<bool(std::wstring const&)> const& writeLine) {
    CopyPlan plan = MakeCopyPlan(settings);
    if (plan.IsRefused()) {
        front.Tell(RefusalMessage(plan).GetString(), kTitleMessage);
        return kBatchRefused;
    }
    // A plan of billions of names is useful at once: its size and both ends first.
    std::wstring summary = std::to_wstring(plan.count) + L" 個: " + plan.Target(0).GetString();
    if (plan.count > 1) {
        summary += L" … ";
        summary += plan.Target(plan.count - 1).GetString();
    }
    front.Tell(summary.c_str(), kTitleMessage);
    const std::wstring kOverwrite = L" (上書き)";
    ExistingTargets existing = FindExistingTargets(plan);
    for (int i = 0; i < plan.count; ++i) {
        std::wstring line = plan.Target(i).GetString();
        if (existing.Contains(i)) {
            line += kOverwrite;
        }
        if (plan.text_output) {
            line += L"\n  ";
            line += plan.TextLine(i).GetString();
        }
        // The reader went away (| head): no one reads the rest.
        if (!writeLine(line)) {
            return kBatchRefused;
        }
    }
    if (plan.text_output && existing.out_info &&
        !writeLine(std::wstring(plan.container.GetString()) + L"\\outinfo.txt" + kOverwrite)) {
        return kBatchRefused;
    }
    if (!existing.known &&
        !writeLine(L"コピー先の中を確かめられませんでした。 (the container cannot be listed)")) {
        return kBatchRefused;
    }
    return kBatchDone;
}
