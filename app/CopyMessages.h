#pragma once
// The texts a copy run shows, shared by the dialog and the batch front.

inline constexpr wchar_t kTitleConfirm[] = L"確認";
inline constexpr wchar_t kTitleMessage[] = L"メッセージ";

inline constexpr wchar_t kAskAbort[] = L"中止しますか？";
inline constexpr wchar_t kTellAborted[] = L"中止しました。";
inline constexpr wchar_t kTellSameFolder[] = L"コピー元＆コピー先が同一です。";
inline constexpr wchar_t kTellBadDestination[] = L"コピー先が認識できませんでした。";
inline constexpr wchar_t kTellBadSource[] = L"コピー元が認識できません。";
inline constexpr wchar_t kTellBadCount[] = L"生成回数が不正です。";
inline constexpr wchar_t kAskRun[] = L"コピーを実行します。続けて良いですか？";
inline constexpr wchar_t kAskMany[] = L"複製回数が非常に多いですが、実行しても良いですか？";
inline constexpr wchar_t kTellDone[] = L"コピーが終了しました。";
// After a run in which some copier could not be started or ended with an error (%d: how many).
inline constexpr wchar_t kTellDoneFailed[] =
    L"コピーが終了しました。\n%d 個のコピーに失敗しました。";
// Added to the completion message when outinfo.txt was asked for but could not be written.
inline constexpr wchar_t kTellSummaryLost[] = L"outinfo.txt を書き込めませんでした。";
// A joining text holds a character that no folder name can hold.
inline constexpr wchar_t kTellBadJoiningText[] = L"連結文字に使えない文字が含まれています。";
inline constexpr wchar_t kTellBadStart[] = L"開始番号が不正です。";
inline constexpr wchar_t kTellBadWidth[] = L"桁数が不正です。";
// A folder name would end with a dot or a blank (Windows would drop it).
inline constexpr wchar_t kTellTrailingDot[] = L"フォルダ名の最後にピリオドや空白は使えません。";
// A folder-name part over 255 characters, or a target over 32,767.
inline constexpr wchar_t kTellNameTooLong[] = L"フォルダ名が長すぎます。";
// Asked after the first question when the container holds folders the run would write into
// (%ls: how many folders, or "?" when the container cannot be listed).
inline constexpr wchar_t kAskOverwrite[] =
    L"コピー先に同じ名前のフォルダが %ls 個あります。上書きしますか？";
// Put before that question when outinfo.txt is there too and text output is on.
inline constexpr wchar_t kTellOutInfoRewritten[] = L"outinfo.txt も書き直されます。";
// Asked instead when outinfo.txt is the only thing the run would write over.
inline constexpr wchar_t kAskOverwriteOutInfo[] =
    L"コピー先の outinfo.txt を書き直します。上書きしますか？";
// Added to the completion message when some outinfo.txt line held characters that Shift_JIS
// cannot hold.
inline constexpr wchar_t kTellSummaryInexact[] = L"outinfo.txt に書けない文字を ? にしました。";
// Before the names of failed copies (up to five, then an ellipsis) in the completion message.
inline constexpr int kFailedNamesShown = 5;
inline constexpr wchar_t kMoreFailedNames[] = L"…";
// When the dialog cannot start the thread that makes the copies (%ls: the container, which the
// questions before made and which stays).
inline constexpr wchar_t kTellCannotStart[] =
    L"コピーを開始できませんでした。\nコピー先のフォルダ %ls は作成されたまま残っています。";
// Added to it when outinfo.txt had been emptied for the run.
inline constexpr wchar_t kTellSummaryEmptied[] = L"outinfo.txt は空になっています。";
// Why a copy failed, in parentheses after its name (%ls: the path below the copy).
inline constexpr wchar_t kReasonMissing[] = L"ファイルがありません: %ls";
inline constexpr wchar_t kReasonDiffers[] = L"サイズか更新日時が違います: %ls";
inline constexpr wchar_t kReasonExitCode[] = L"終了コード %ls";
inline constexpr wchar_t kReasonNotStarted[] = L"コピーを起動できませんでした";
// The source could not be listed whole (%ls: the folder below it), so no copy can be checked.
inline constexpr wchar_t kReasonSourceUnlisted[] = L"コピー元を一覧できませんでした: %ls";
// The built-in copier's own reasons (%ls: the entry below the copy, %lu: the system's error).
inline constexpr wchar_t kReasonCopyFailed[] = L"コピーできませんでした: %ls (エラー %lu)";
inline constexpr wchar_t kReasonFolderFailed[] =
    L"フォルダを作成できませんでした: %ls (エラー %lu)";
inline constexpr wchar_t kReasonSecurityFailed[] =
    L"アクセス権をコピーできませんでした: %ls (エラー %lu)";
// A names file that cannot name the run (%d: line numbers as an editor shows them, or the
// number of names).
inline constexpr wchar_t kTellListUnreadable[] = L"名前リストを読めませんでした。";
inline constexpr wchar_t kTellListEmpty[] = L"名前リストに名前がありません。";
inline constexpr wchar_t kTellListBadName[] = L"名前リストの %d 行目の名前は使えません。";
inline constexpr wchar_t kTellListDuplicate[] = L"名前リストの %d 行目が %d 行目と同じです。";
inline constexpr wchar_t kTellListCount[] = L"生成回数が名前リストの名前の数 (%d) と違います。";
