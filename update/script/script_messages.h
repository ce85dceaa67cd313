#pragma once
// The reader's messages when a table of the job description is full (UTF-8).
namespace quillet {

// File entries, work folders, shortcuts and launches share this one.
constexpr const char kTooManyFilesMessage[] =
    "スクリプトエラー：インストール対象ファイルが多すぎます。";
constexpr const char kTooManyRegistryMessage[] =
    "スクリプトエラー：レジストリ対象操作が多すぎます。";
constexpr const char kTooManyStartServicesMessage[] =
    "スクリプトエラー：開始するサービスが多すぎます。";
constexpr const char kTooManyStopServicesMessage[] =
    "スクリプトエラー：停止するサービスが多すぎます。";
constexpr const char kTooManyProcessesMessage[] =
    "スクリプトエラー：停止するプロセスが多すぎます。";
constexpr const char kTooManyPatchInfoMessage[] =
    "スクリプトエラー：パッチ表示情報が多すぎます。";
constexpr const char kTooManyPatchDeletesMessage[] =
    "スクリプトエラー：パッチ削除情報が多すぎます。";

}  // namespace quillet
