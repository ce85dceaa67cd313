#!/bin/bash
# CTest fixture: starts Xvfb, builds (once) the template prefix and clears the
# per-suite prefixes so that every test run starts from a fresh copy.
set -euo pipefail
export PLEXOR_WINE_ROOT=$1
mkdir -p "$PLEXOR_WINE_ROOT/home"
own_dirs=("$PLEXOR_WINE_ROOT" "$PLEXOR_WINE_ROOT/home")
. "$(dirname "$0")/wine-env.sh"
own_for_wine_user "${own_dirs[@]}"

# The test user must reach the programs and data in the build folder. A clone
# under a private home folder (mode 700) would hide them: grant traverse
# permission (not read) on the folders above, and say so.
if [ "$(id -u)" = 0 ]; then
  dir=$(cd "$PLEXOR_WINE_ROOT/.." && pwd)
  while [ "$dir" != / ]; do
    if ! setpriv --reuid="$WINE_USER" --regid="$WINE_GROUP" --clear-groups -- test -x "$dir"; then
      echo "wine-setup: granting others traverse permission on $dir"
      chmod o+x "$dir"
    fi
    dir=$(dirname "$dir")
  done
fi

# Display: Xvfb picks a free display number itself.
pidfile=$PLEXOR_WINE_ROOT/xvfb.pid
if ! { [ -s "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; }; then
  rm -f "$PLEXOR_WINE_ROOT/display"
  setsid Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp \
    3>"$PLEXOR_WINE_ROOT/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 100); do [ -s "$PLEXOR_WINE_ROOT/display" ] && break; sleep 0.1; done
  [ -s "$PLEXOR_WINE_ROOT/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
fi
export DISPLAY=":$(cat "$PLEXOR_WINE_ROOT/display")"

# Stop servers of an earlier run before their prefixes go away.
if [ -d "$PLEXOR_WINE_ROOT/prefixes" ]; then
  for p in "$PLEXOR_WINE_ROOT"/prefixes/*/; do
    [ -d "$p" ] && WINEPREFIX=${p%/} as_wine_user wineserver -k 2>/dev/null || true
  done
  rm -rf "$PLEXOR_WINE_ROOT/prefixes"
fi
mkdir -p "$PLEXOR_WINE_ROOT/prefixes"
own_for_wine_user "$PLEXOR_WINE_ROOT/prefixes"

template=$PLEXOR_WINE_ROOT/template
if [ ! -f "$template/system.reg" ]; then
  rm -rf "$template"
  echo "creating the template Wine prefix (once per build folder)"
  WINEPREFIX=$template as_wine_user wineboot -i >/dev/null 2>&1
  WINEPREFIX=$template as_wine_user wineserver -w
fi
[ -f "$template/system.reg" ] || { echo "wineboot failed to create $template" >&2; exit 1; }

# The dialogs' fonts as a Japanese Windows has them: "ＭＳ Ｐゴシック" and
# "ＭＳ ゴシック" become the installed proportional and fixed Japanese fonts
# (fonts-ipafont-gothic), not whatever font Wine would pick for the name.
# Also for a template made before the mapping existed (its marker file).
if [ ! -f "$template/font-substitutes" ]; then
  reg=$PLEXOR_WINE_ROOT/font-substitutes.reg
  # A UTF-16 file keeps the Japanese names.
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' | iconv -f UTF-8 -t UTF-16 >"$reg"
  own_for_wine_user "$reg"
  WINEPREFIX=$template as_wine_user wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  WINEPREFIX=$template as_wine_user wineserver -w
  grep -q '="IPAPGothic"' "$template/system.reg" || { echo "font mapping not set" >&2; exit 1; }
  touch "$template/font-substitutes"
  own_for_wine_user "$template/font-substitutes"
fi
echo "wine harness ready: DISPLAY=$DISPLAY LANG=$LANG"
