#!/bin/bash
# Quillet.exe itself under Wine, in this suite's own prefix, played by
# quillet_ui_driver.exe (which reports every window the program shows and
# answers it). Checks: no product key ends without a window; the messages of
# the flow; the script is read from the program's folder when the program
# file is Quillet.exe and from the current folder when it is not; a second
# copy ends at once; the NT/2000 script lines follow the version the system
# reports; a silent run reaches the executor without the start dialog. Each
# end leaves its exit status (update/run/exit_status.h). Quiet runs show no
# window and leave their log.
set -uo pipefail
run=$PLEXOR_WINE_RUN
quillet=$PLEXOR_BINARY_DIR/update/app/Quillet.exe
driver=$PLEXOR_BINARY_DIR/tests/update/run_wine/quillet_ui_driver.exe
for f in "$quillet" "$driver"; do
  [ -f "$f" ] || { echo "missing $f (build the Quillet and quillet_ui_driver targets)"; exit 1; }
done
. "$PLEXOR_SOURCE_DIR/tests/wine/wine-env.sh"
prefix=$($run --prefix-dir)
media=$prefix/drive_c/qmedia
other=$prefix/drive_c/qother
mkdir -p "$media" "$other"
cp "$quillet" "$media/Quillet.exe"
cp "$quillet" "$media/Other.exe"
own_for_wine_user "$media" "$other" "$media"/*.exe

failures=0
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# play NAME [driver options] PROGRAM [ARGS...]: runs the program from the
# folder C:\qother and keeps the driver's report in $out.
play() {
  local name=$1
  shift
  echo "--- $name"
  (cd "$other" && $run "$driver" "$@") >"$out" 2>/dev/null
  cat "$out"
}
# expect TEXT: the last report holds the line TEXT exactly.
expect() {
  if ! grep -qxF -- "$1" "$out"; then
    echo "FAIL: expected line: $1"
    failures=$((failures + 1))
  fi
}
# expect_count N PATTERN: the last report has N lines matching PATTERN.
expect_count() {
  local got
  got=$(grep -c -- "$2" "$out")
  if [ "$got" != "$1" ]; then
    echo "FAIL: expected $1 lines matching '$2', got $got"
    failures=$((failures + 1))
  fi
}
reg_add() { $run reg add "$@" /f >/dev/null 2>&1 || { echo "reg add $* failed"; exit 1; }; }
write_script() {  # write_script FOLDER LINE...
  local folder=$1
  shift
  printf '%s\r\n' "$@" >"$folder/quillet.txt"
  own_for_wine_user "$folder/quillet.txt"
}

product='HKLM\SOFTWARE\norvane\Plexor'
shell='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
$run reg delete "$product" /f >/dev/null 2>&1

play "no product key" 'C:\qmedia\Quillet.exe'
expect "exit: 1605"
expect_count 0 '^dialog:'

reg_add "$product" /ve /d WZ
reg_add "$product" /v ProductName /d 'プレクス'
reg_add "$product" /v VersionNo /d 3.05
reg_add "$product" /v CopypoolPath /d 'C:\P\Copypool'
# The product folder: a run stages its media files there before any change.
mkdir -p "$prefix/drive_c/P"
own_for_wine_user "$prefix/drive_c/P"
play "product without publishing folder" 'C:\qmedia\Quillet.exe'
expect "dialog: Quillet"
expect "  -1: プレクスが正常にインストールされていません。"
expect "exit: 1605"
expect_count 1 '^dialog:'

reg_add "$product" /v InetPubPath /d 'C:\inetpub\wwwroot'
reg_add "$shell" /v 'Common Programs' /d 'C:\All\Programs'
reg_add "$shell" /v 'Common Desktop' /d 'C:\All\Desktop'
write_script "$media" 'TargetModel:ZP'
write_script "$other" 'VerCheckLower:9.00'
play "Quillet.exe reads the script of its own folder" 'C:\qmedia\Quillet.exe'
expect "  -1: アップデート対象のPlexorではありません。"
expect_count 1 '^dialog:'
expect "exit: 1642"

play "another program file name reads the script of the current folder" 'C:\qmedia\Other.exe'
expect "dialog: インストールの中止"
expect "  1013: お使いのプレクスのバージョンは 3.05 です。"
expect "  1014: このアップデータは 9.00 以上用です。"
expect "exit: 1638"

rm -f "$other/quillet.txt"
play "no script in the current folder" 'C:\qmedia\Other.exe'
expect "dialog: Other"
expect "  -1: スクリプトファイルが見つかりません。"
expect "exit: 1619"

play "second copy while one runs" --second 'C:\qmedia\Quillet.exe'
expect "  -1: アップデート対象のPlexorではありません。"
expect "second: ended, status 1618, windows 0"
took=$(sed -n 's/^second: took \([0-9]*\) ms$/\1/p' "$out")
if [ -z "$took" ] || [ "$took" -ge 5000 ]; then
  echo "FAIL: the second copy should end at once, took '${took}' ms"
  failures=$((failures + 1))
fi
expect_count 1 '^dialog:'

# The NT and 2000 target lines, seen through the uninstall records that the
# run writes before its start dialog (in its log); the start dialog is
# cancelled, and the records are taken back. The media holds a.dll (a media
# without it is refused first).
write_script "$media" 'Admin:0' 'file:a.dll' 'toWorkNT:nt' 'toWork2k:w2k' 'toWork:all'
printf 'a' >"$media/a.dll"
own_for_wine_user "$media/a.dll"
appdefaults='HKCU\Software\Wine\AppDefaults\Quillet.exe'
for version in default nt40 win2k; do
  $run reg delete "$product\\UninstFiles" /f >/dev/null 2>&1
  if [ $version = default ]; then
    $run reg delete "$appdefaults" /f >/dev/null 2>&1
  else
    reg_add "$appdefaults" /v Version /d $version
  fi
  mkdir -p "$prefix/drive_c/deploy logs"
  own_for_wine_user "$prefix/drive_c/deploy logs"
  rm -f "$prefix/drive_c/deploy logs/targets.log"
  play "target lines under version $version" --answer 2 'C:\qmedia\Quillet.exe' \
    /log 'C:\deploy logs\targets.log'
  expect "  -1: 起動画面のファイルが見つかりません。"
  expect "  1: インストール開始"
  expect "exit: 1602"
  if $run reg query "$product\\UninstFiles" /v FILE0 >/dev/null 2>&1; then
    echo "FAIL: version $version: the cancelled run left its uninstall records"
    failures=$((failures + 1))
  fi
  records=$(grep -a 'UninstFiles value' "$prefix/drive_c/deploy logs/targets.log" 2>/dev/null | tr -d '\r')
  echo "$records"
  for folder in nt w2k all; do
    want=no
    [ $folder = all ] && want=yes
    [ $folder = nt ] && [ $version = nt40 ] && want=yes
    [ $folder = w2k ] && [ $version = win2k ] && want=yes
    if echo "$records" | grep -qF "C:\\P\\$folder\\a.dll"; then got=yes; else got=no; fi
    if [ $got != $want ]; then
      echo "FAIL: version $version: record of C:\\P\\$folder\\a.dll: expected $want, got $got"
      failures=$((failures + 1))
    fi
  done
done
$run reg delete "$appdefaults" /f >/dev/null 2>&1

write_script "$media" 'Admin:0'
play "silent run reaches the executor without the start dialog" 'C:\qmedia\Quillet.exe' silent
expect "dialog: アップデート中．．．"
expect_count 1 '^dialog:'
expect "exit: 0"

printf 'BM' >"$media/title.bmp"  # not a drawable picture: black area, no message
own_for_wine_user "$media/title.bmp"
play "confirmed interactive run ends with the completion dialog" 'C:\qmedia\Quillet.exe'
expect "  1: インストール開始"
expect "dialog: アップデート中．．．"
expect "dialog: インストール完了"
expect "  1012: プレクスのアップデートは正常に終了しました。"
expect_count 3 '^dialog:'
expect "exit: 0"

write_script "$media" 'Admin:0' 'Reboot:1'
# (Closed with Esc: the restart itself is tested without restarting anything.)
play "silent run with restart still asks about the restart" --answer 2 'C:\qmedia\Quillet.exe' -silent
expect "dialog: アップデート中．．．"
expect "dialog: インストール完了"
expect "  1011: プレクスのアップデートは正常に終了しました。|プレクスを使用する場合には、コンピュータを再起動する必要があります。"
expect "  1007: コンピュータを再起動する。"
expect_count 2 '^dialog:'
expect "exit: 3010"

# Quiet runs as a deployment tool starts them: no window, each ends by itself
# and leaves its log (UTF-8 with a byte-order mark) at a path with a blank
# and a hyphen.
logs="$prefix/drive_c/deploy logs"
mkdir -p "$logs" "$prefix/drive_c/P"
own_for_wine_user "$logs" "$prefix/drive_c/P"
# quiet_run NAME STATUS LOG SCRIPT-LINE...: a quiet run with that log ends
# with STATUS and shows no window.
quiet_run() {
  local name=$1 status=$2 log=$3
  shift 3
  write_script "$media" "$@"
  rm -f "$logs/run-1.log"
  play "quiet: $name" 'C:\qmedia\Quillet.exe' -quiet /log "$log"
  expect "exit: $status"
  expect_count 0 '^dialog:'
  [ -f "$logs/run-1.log" ] && tr -d '\r' <"$logs/run-1.log"
}
# expect_log TEXT: the log starts with the byte-order mark and holds TEXT.
expect_log() {
  if [ "$(head -c 3 "$logs/run-1.log" | od -An -tx1 | tr -d ' ')" != efbbbf ] ||
    ! grep -qF -- "$1" "$logs/run-1.log"; then
    echo "FAIL: the log lacks: $1"
    failures=$((failures + 1))
  fi
}
# A missing media file is found before anything changes (1620); a copy
# that fails at its turn (no target folder) still ends with 1603.
quiet_run "a media file is missing" 1620 'C:\deploy logs\run-1.log' \
  'Admin:0' 'folderInWork:bin' 'file:missing.dll' 'toWork:bin'
expect_log 'media check: not sealed, refused: missing.dll: cannot be read'
expect_log 'message not shown (quiet): 更新メディアのファイル missing.dll が見つからないか'
expect_log 'exit status 1620'
printf 'placed' >"$media/placed.dll"
own_for_wine_user "$media/placed.dll"
quiet_run "a copy fails" 1603 'C:\deploy logs\run-1.log' 'Admin:0' 'file:placed.dll' 'toWork:nofolder'
expect_log 'file C:\P\nofolder\placed.dll from C:\P\~qstage0\placed.dll: failed, error 3'
expect_log 'message not shown (quiet): ファイルのコピーに失敗しました。'
expect_log 'exit status 1603'
quiet_run "a restart is asked for" 3010 'C:\deploy logs\run-1.log' 'Admin:0' 'Reboot:1'
expect_log 'restart dialog not shown (quiet), no restart'
quiet_run "the version is refused" 1638 'C:\deploy logs\run-1.log' 'VerCheckLower:9.00'
expect_log 'このアップデータは 9.00 以上用です。'
quiet_run "the log cannot be written" 0 'C:\no such folder\run-1.log' \
  'Admin:0' 'folderInWork:bin' 'file:placed.dll' 'toWork:bin'
if [ "$(cat "$prefix/drive_c/P/bin/placed.dll" 2>/dev/null)" != placed ]; then
  echo "FAIL: the update without its log did not place placed.dll"
  failures=$((failures + 1))
fi

echo "failures: $failures"
[ $failures = 0 ]
