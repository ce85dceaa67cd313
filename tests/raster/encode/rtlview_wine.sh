#!/bin/bash
# rtlview.exe under Wine: a sample stream written by the Windows build of the
# encoder (two spool documents) decodes cleanly back to its planes and gives a
# PNG; a damaged stream exits 1, a usage error 2.
set -u
run=$PLEXOR_WINE_RUN
bin=$PLEXOR_BINARY_DIR
prefix=$($run --prefix-dir) || exit 1
work=$prefix/drive_c/rtlview-test
rm -rf "$work" && mkdir -p "$work" || exit 1
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work"
fail() { echo "FAIL: $*"; exit 1; }

$run "$bin/tests/raster/encode/encode_sample_stream.exe" 'C:\rtlview-test\s' --bpp 2 --documents 2 --width 250 --height 90 ||
  fail "sample writer failed"
$run "$bin/tools/rtlview/rtlview.exe" --raw-planes 'C:\rtlview-test\out' --png 'C:\rtlview-test\s.png' \
  'C:\rtlview-test\s.doc0.prn' 'C:\rtlview-test\s.doc1.prn' >"$work/log.txt" 2>"$work/err.txt"
rc=$?
cat "$work/log.txt"
[ $rc -eq 0 ] || { cat "$work/err.txt"; fail "rtlview.exe exit $rc on a clean stream"; }
for i in 0 1 2 3; do cmp -s "$work/s.plane$i.raw" "$work/out.plane$i.raw" || fail "plane $i differs"; done
head -c 4 "$work/s.png" | grep -q PNG || fail "no PNG"

head -c 700 "$work/s.doc0.prn" >"$work/cut.prn"
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$work/cut.prn"
$run "$bin/tools/rtlview/rtlview.exe" 'C:\rtlview-test\cut.prn' >/dev/null 2>"$work/cut.err"
[ $? -eq 1 ] || fail "damaged stream: exit status not 1"
grep -q 'offset [0-9]' "$work/cut.err" || fail "damaged stream: no offset"
$run "$bin/tools/rtlview/rtlview.exe" --bogus >/dev/null 2>&1
[ $? -eq 2 ] || fail "usage error: exit status not 2"
echo "ok"
