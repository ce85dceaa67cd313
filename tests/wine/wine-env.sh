# Sourced by the Wine harness scripts: the environment every Wine process of
# the test suite shares. Expects PLEXOR_WINE_ROOT (the wine folder of the build).

: "${PLEXOR_WINE_ROOT:?PLEXOR_WINE_ROOT must name the wine folder of the build}"
# Wine needs absolute prefix paths.
PLEXOR_WINE_ROOT=$(cd "$PLEXOR_WINE_ROOT" && pwd)
export PLEXOR_WINE_ROOT
WINE_USER=${PLEXOR_WINE_USER:-nobody}
WINE_GROUP=${PLEXOR_WINE_GROUP:-nogroup}

export WINEDEBUG=-all
# No Mono/Gecko downloads (no network), no desktop entries mirrored to Linux.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$PLEXOR_WINE_ROOT/home
unset XDG_RUNTIME_DIR
if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  export LANG=ja_JP.UTF-8   # ANSI code page 932, as on the product's systems
else
  echo "wine-env: locale ja_JP.UTF-8 is not generated; ANSI code page will not be 932" >&2
  export LANG=C.UTF-8
fi
export LC_ALL=$LANG
if [ -s "$PLEXOR_WINE_ROOT/display" ]; then
  export DISPLAY=":$(cat "$PLEXOR_WINE_ROOT/display")"
fi

# Runs a command as the unprivileged test user when we are root: as root, Wine
# lets read-only files be overwritten, which hides real failures.
as_wine_user() {
  if [ "$(id -u)" = 0 ]; then
    setpriv --reuid="$WINE_USER" --regid="$WINE_GROUP" --clear-groups -- "$@"
  else
    "$@"
  fi
}

own_for_wine_user() {
  if [ "$(id -u)" = 0 ]; then
    chown "$WINE_USER:$WINE_GROUP" "$@"
  fi
}
