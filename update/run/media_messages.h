#pragma once
// The texts of a refused update media (UTF-8); %s is the media file, named
// as on the media ("bin\core.dll").
namespace quillet {

inline constexpr const char kMsgMediaFileMissing[] =
    "更新メディアのファイル %s が見つからないか、読み込めません。インストールを中止します。";
inline constexpr const char kMsgMediaFileDamaged[] =
    "更新メディアのファイル %s が壊れています。インストールを中止します。";
inline constexpr const char kMsgMediaFileUnlisted[] =
    "更新メディアのファイル %s が quillet.sha256 に記載されていません。インストールを中止します。";

}  // namespace quillet
