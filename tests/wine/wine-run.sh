#!/bin/bash
# Runs one Windows program under Wine for the test suite: in the suite's own
# prefix (a copy of the template, made on first use), as the unprivileged test
# user, with a warm wineserver. Used as CMake's cross-compiling emulator.
#
#   wine-run.sh PROGRAM [ARGS...]        PLEXOR_WINE_PREFIX names the prefix
#   wine-run.sh --prefix-dir             prints the suite prefix's folder
set -euo pipefail
: "${PLEXOR_WINE_PREFIX:=core}"
. "$(dirname "$0")/wine-env.sh"
prefix=$PLEXOR_WINE_ROOT/prefixes/$PLEXOR_WINE_PREFIX
export WINEPREFIX=$prefix

if [ ! -f "$prefix/system.reg" ]; then
  [ -f "$PLEXOR_WINE_ROOT/template/system.reg" ] ||
    { echo "wine-run: no template prefix; run the wine.setup test first" >&2; exit 3; }
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      rm -rf "$prefix.tmp"
      cp -a "$PLEXOR_WINE_ROOT/template" "$prefix.tmp"
      mv "$prefix.tmp" "$prefix"
    fi
  ) 9>"$PLEXOR_WINE_ROOT/prefixes/.lock"
fi
# A persistent server: later programs of the suite start warm (no 3 s waits).
as_wine_user wineserver -p >/dev/null 2>&1 </dev/null || true

if [ "${1:-}" = --prefix-dir ]; then
  echo "$prefix"
  exit 0
fi
# Wine's helper processes (services, explorer, the server) outlive the program
# and inherit its output handles; CTest would wait for them forever on a pipe.
# So the program writes to files, which are shown once it has ended.
out=$(mktemp); err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
as_wine_user wine "$@" >"$out" 2>"$err" </dev/null
rc=$?
set -e
cat "$out"
cat "$err" >&2
exit $rc
