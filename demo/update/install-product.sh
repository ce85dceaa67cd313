#!/bin/bash
# Makes the current Wine prefix hold an installed Plexor 3.05 in C:\Plexor,
# the product the demo update is for:
#   install-product.sh WINE_RUN      (PLEXOR_WINE_ROOT and PLEXOR_WINE_PREFIX set)
set -euo pipefail
wine_run=$1
drive=$("$wine_run" --prefix-dir)/drive_c
mkdir -p "$drive/Plexor/bin" "$drive/Plexor/Copypool" "$drive/inetpub"
echo "zoom = 80" >"$drive/Plexor/bin/viewer.cfg"
echo "old notes" >"$drive/Plexor/readme.txt"
echo "scratch" >"$drive/Plexor/print1.tmp"
echo "scratch" >"$drive/Plexor/print2.tmp"
touch -d '2020-01-01' "$drive/Plexor/bin/viewer.cfg" "$drive/Plexor/readme.txt"
key='HKLM\SOFTWARE\norvane\Plexor'
reg_add() { "$wine_run" reg add "$@" /f >/dev/null; }
reg_add "$key" /v VersionNo /d 3.05
reg_add "$key" /v Edition /t REG_DWORD /d 1
reg_add "$key" /v CopypoolPath /d 'C:\Plexor\Copypool'
reg_add "$key" /v InetPubPath /d 'C:\inetpub'
reg_add "$key\\Update\\205" /v Title /d 'Update 2.05'
shell='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
reg_add "$shell" /v "Common Programs" /d 'C:\ProgramData\Programs'
reg_add "$shell" /v "Common Desktop" /d 'C:\users\Public\Desktop'
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$drive/Plexor" "$drive/inetpub"; fi
