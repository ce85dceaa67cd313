#!/bin/bash
# CTest fixture cleanup: stops every suite's wineserver and the display.
set -uo pipefail
export PLEXOR_WINE_ROOT=$1
. "$(dirname "$0")/wine-env.sh"
for p in "$PLEXOR_WINE_ROOT"/prefixes/*/ "$PLEXOR_WINE_ROOT/template/"; do
  [ -d "$p" ] && WINEPREFIX=${p%/} as_wine_user wineserver -k 2>/dev/null
done
pidfile=$PLEXOR_WINE_ROOT/xvfb.pid
[ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
rm -f "$pidfile" "$PLEXOR_WINE_ROOT/display"
exit 0
