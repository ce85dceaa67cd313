#pragma once
// The texts the main flow shows in its message boxes (UTF-8).

namespace quillet {

// %s is the product's program group name.
inline constexpr const char kMsgNotInstalled[] = "%sが正常にインストールされていません。";
inline constexpr const char kMsgScriptNotFound[] = "スクリプトファイルが見つかりません。";
inline constexpr const char kMsgWrongModel[] = "アップデート対象のPlexorではありません。";
inline constexpr const char kMsgRegistryWriteFailed[] =
    "レジストリへの書き込みに失敗しました。インストールを中止します。";
inline constexpr const char kMsgCopyFailed[] =
    "ファイルのコピーに失敗しました。インストールを中止します。";

}  // namespace quillet
