#pragma once
// The texts the main flow shows in its message boxes (UTF-8).

#include <string>

namespace quillet {

// %s is the product's program group name.
inline constexpr const char kMsgNotInstalled[] = "%sが正常にインストールされていません。";
inline constexpr const char kMsgScriptNotFound[] = "スクリプトファイルが見つかりません。";
inline constexpr const char kMsgWrongModel[] = "アップデート対象のPlexorではありません。";
inline constexpr const char kMsgRegistryWriteFailed[] =
    "レジストリへの書き込みに失敗しました。インストールを中止します。";
inline constexpr const char kMsgCopyFailed[] =
    "ファイルのコピーに失敗しました。インストールを中止します。";
// A failure of a step other than the copy; %s says what failed.
inline constexpr const char kMsgStepFailedPutBack[] =
    "%sに失敗しました。アップデートは行われず、変更はすべて元に戻しました。";
inline constexpr const char kMsgStepFailedPartlyPutBack[] =
    "%sに失敗しました。アップデートは行われていません。元に戻せなかった変更は、"
    "次に起動したときに元に戻します。";
// An interrupted run found at the start could not be put back.
inline constexpr const char kMsgInterruptedNotPutBack[] =
    "中断されたアップデートを元に戻せませんでした。何も変更していません。"
    "もう一度実行してください。";
// The journal of an earlier run cannot be read; %s names it.
inline constexpr const char kMsgJournalUnreadable[] =
    "前回のアップデートの記録 %s を読み取れません。何も変更していません。"
    "新しい更新メディアで実行するか、operator-guide.txt の手順に従ってください。";

// The texts of the dialogs, as their templates and string table hold them,
// for the log of what was shown or, in quiet mode, not shown.
inline constexpr const char kMsgAdminAbort[] =
    "Administratorユーザーで実行してください。インストールを中止します。";
inline constexpr const char kMsgUpdateAborted[] = "インストールを中止します。";
inline constexpr const char kMsgUpdateDone[] = "%sのアップデートは正常に終了しました。";
inline constexpr const char kMsgRestartNeeded[] =
    "%sを使用する場合には、コンピュータを再起動する必要があります。";

// Puts the name in place of the pattern's single %s.
std::string withName(const char* pattern, const std::string& name);

}  // namespace quillet
