#!/bin/sh
# A continuous-tone page through riphost and the raster module with each
# screening method (3, 4 and 5), at 1 and 2 bits, plain and mirrored with a
# left offset: rtlview must decode every stream without complaint. The PNG
# previews stay in WORKDIR for a look.
#   riphost_rtlview_test.sh RIPHOST RTLVIEW WORKDIR
set -u
riphost=$1 rtlview=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
python3 "$here/contone_page.py" page.bin 480 320 || fail "cannot write the page"

run() {  # name screening bits mirror left_offset
  name=$1
  # A print mode the mode table has for the bit depth.
  mode="Banner (Banner4-高速-双)"
  [ "$3" = 2 ] && mode="Quality (Quality3-高品質-単)"
  cat >"$name.txt" <<TICKET
width = 480
height = 320
plane_count = 4
bits_per_pixel = $3
resolution1 = 720
resolution2 = 720
mode_name = $mode
device_name = dev
printer_name = Native Printer
screening = $2
mirror = $4
left_offset = $5
TICKET
  "$riphost" --ticket "$name.txt" --out "$name" --write page.bin --band-lines 37 2>"$name.riphost.err" ||
    { cat "$name.riphost.err"; fail "$name: riphost failed"; }
  mirror_option=
  [ "$4" = 1 ] && mirror_option=--mirror
  "$rtlview" $mirror_option --png "$name.png" "$name"/*.prn >"$name.log" 2>"$name.err"
  rc=$?
  cat "$name.log"
  [ $rc -eq 0 ] || { cat "$name.err"; fail "$name: rtlview exit $rc"; }
  [ -s "$name.err" ] && { cat "$name.err"; fail "$name: rtlview complained"; }
  grep -q "raster width $((480 + $5)) pixels" "$name.log" || fail "$name: wrong raster width"
  grep -q "^320 rows" "$name.log" || fail "$name: not 320 rows"
  echo "ok: $name"
}

for s in 3 4 5; do
  run "screening$s-1bit" $s 1 0 0
  run "screening$s-2bit" $s 2 0 0
done
run mirrored-1bit 4 1 1 40
run mirrored-ed-2bit 3 2 1 40
exit 0
