#!/bin/bash
# The built-in demo of both deliverables:
#  1. Vexmoor: a continuous-tone page printed through riphost and the raster
#     module (native build, POSIX spooler), decoded by rtlview into a PNG.
#  2. Quillet: quillet-check lints the demo update script and shows its plan,
#     and seals the media; then Quillet.exe checks the seal and applies it for real under Wine ("silent") to a prefix that
#     holds an installed Plexor 3.05, and the changes are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/demo
rm -rf "$out" && mkdir -p "$out"
jobs=$(nproc)

echo "== building (native)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target riphost rtlview quillet-check Vexmoor tessaro vindal ombrix >/dev/null
bin=$root/build/native

echo "== Vexmoor: printing a page"
python3 tests/raster/encode/contone_page.py "$out/page.bin" 960 640
"$bin/host/riphost/riphost" --ticket demo/raster/ticket.txt --out "$out/spool" --write "$out/page.bin"
ls -l "$out/spool"
"$bin/tools/rtlview/rtlview" --png "$out/page.png" "$out"/spool/*.prn
echo "preview: $out/page.png"

echo "== Quillet: checking the demo script (quillet-check --lint: no finding)"
"$bin/tools/quillet-check/quillet-check" --lint demo/update/media/quillet.txt
echo "== Quillet: what the demo update will do (quillet-check --plan)"
# The folders of the Wine run below: media in C:\media, the product in C:\Plexor.
"$bin/tools/quillet-check/quillet-check" --source-dir 'C:\media' --work-dir 'C:\Plexor' \
  --plan demo/update/media/quillet.txt

echo "== Quillet: applying the update under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target Quillet >/dev/null
bash demo/update/run-under-wine.sh "$root/build/windows/update/app/Quillet.exe" "$root/build/windows/wine-demo" \
  "$bin/tools/quillet-check/quillet-check"
