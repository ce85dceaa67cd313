#!/bin/bash
# Applies the demo update with the real Quillet.exe under Wine:
#   run-under-wine.sh QUILLET_EXE WINE_ROOT
# WINE_ROOT gets its own display, template prefix and a prefix "demo" that
# holds an installed Plexor 3.05 in C:\Plexor.
set -euo pipefail
quillet=$1
export PLEXOR_WINE_ROOT=$2
here=$(cd "$(dirname "$0")" && pwd)
harness=$(cd "$here/../../tests/wine" && pwd)
export PLEXOR_WINE_PREFIX=demo
run() { "$harness/wine-run.sh" "$@"; }

bash "$harness/wine-setup.sh" "$PLEXOR_WINE_ROOT"
trap 'bash "$harness/wine-teardown.sh" "$PLEXOR_WINE_ROOT" >/dev/null' EXIT
drive=$(run --prefix-dir)/drive_c

# The installed product.
mkdir -p "$drive/Plexor/bin" "$drive/Plexor/Copypool" "$drive/inetpub"
echo "zoom = 80" >"$drive/Plexor/bin/viewer.cfg"
echo "old notes" >"$drive/Plexor/readme.txt"
echo "scratch" >"$drive/Plexor/print1.tmp"
echo "scratch" >"$drive/Plexor/print2.tmp"
touch -d '2020-01-01' "$drive/Plexor/bin/viewer.cfg" "$drive/Plexor/readme.txt"
key='HKLM\SOFTWARE\norvane\Plexor'
run reg add "$key" /v VersionNo /d 3.05 /f >/dev/null
run reg add "$key" /v Edition /t REG_DWORD /d 1 /f >/dev/null
run reg add "$key" /v CopypoolPath /d 'C:\Plexor\Copypool' /f >/dev/null
run reg add "$key" /v InetPubPath /d 'C:\inetpub' /f >/dev/null
run reg add "$key\\Update\\205" /v Title /d 'Update 2.05' /f >/dev/null
shell='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
run reg add "$shell" /v "Common Programs" /d 'C:\ProgramData\Programs' /f >/dev/null
run reg add "$shell" /v "Common Desktop" /d 'C:\users\Public\Desktop' /f >/dev/null

# The update media: the program, the script and its files.
rm -rf "$drive/media" && cp -r "$here/media" "$drive/media"
cp "$quillet" "$drive/media/Quillet.exe"
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$drive/Plexor" "$drive/media" "$drive/inetpub"; fi

echo "-- before: C:\\Plexor"
(cd "$drive/Plexor" && find . -type f | sort)
timeout 120 "$harness/wine-run.sh" 'C:\media\Quillet.exe' silent || { echo "Quillet.exe failed or did not end (status $?)"; exit 1; }
echo "-- after: C:\\Plexor"
(cd "$drive/Plexor" && find . | sort)
echo "-- C:\\Plexor\\bin\\viewer.cfg"
cat "$drive/Plexor/bin/viewer.cfg"
echo "-- registry: patch, uninstall and configuration records"
run reg query "$key\\Update" /s | tr -d '\r' | grep -v '^$' || true
run reg query "$key\\UninstFiles" | tr -d '\r' | grep -v '^$' || true
run reg query "$key\\Configuration" | tr -d '\r' | grep -v '^$' || true
