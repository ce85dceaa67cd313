#!/bin/bash
# Applies the demo update with the real Quillet.exe under Wine:
#   run-under-wine.sh QUILLET_EXE WINE_ROOT [QUILLET_CHECK]
# With QUILLET_CHECK (a native quillet-check) the media is sealed first, as
# an operator would before shipping it, and Quillet checks the seal.
# WINE_ROOT gets its own display, template prefix and a prefix "demo" that
# holds an installed Plexor 3.05 in C:\Plexor.
set -euo pipefail
quillet=$1
export PLEXOR_WINE_ROOT=$2
checker=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
harness=$(cd "$here/../../tests/wine" && pwd)
export PLEXOR_WINE_PREFIX=demo
run() { "$harness/wine-run.sh" "$@"; }

bash "$harness/wine-setup.sh" "$PLEXOR_WINE_ROOT"
trap 'bash "$harness/wine-teardown.sh" "$PLEXOR_WINE_ROOT" >/dev/null' EXIT
drive=$(run --prefix-dir)/drive_c

# The installed product.
bash "$here/install-product.sh" "$harness/wine-run.sh"
key='HKLM\SOFTWARE\norvane\Plexor'

# The update media: the program, the script and its files.
rm -rf "$drive/media" && cp -r "$here/media" "$drive/media"
cp "$quillet" "$drive/media/Quillet.exe"
if [ -n "$checker" ]; then
  echo "-- sealing the media: quillet.sha256, checked with sha256sum -c"
  "$checker" --seal "$drive/media" >/dev/null
  (cd "$drive/media" && sha256sum -c quillet.sha256)
fi
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$drive/media"; fi

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
