#!/bin/bash
# riphost natively with a copy layout: the copies land where the layout puts
# them (checked row by row, decoded by rtlview, preview in WORKDIR/copies.png),
# broken layouts still print with exit status 0, broken bitmaps with 1, a wide
# layout page takes pre-screened bands, and a runaway layout ends at its page.
#   copy_layout_native.sh RIPHOST RTLVIEW WORKDIR
set -euo pipefail
riphost=$(realpath "$1") rtlview=$(realpath "$2") work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
export PYTHONPATH=$(dirname "$(realpath "$0")")
page="python3 $PYTHONPATH/copy_layout_page.py"
$page make . "$PWD/layout.bin"
run() { "$riphost" --ticket "$1" --out "$2" --write white.bin --band-lines 32 "${@:3}" 2>err.txt; }
rows() { "$rtlview" "$1"/doc-0001.prn | sed -n 's/^\([0-9]*\) rows.*/\1/p'; }

run copies.txt copies --copy-bitmap 1=disk.cb --copy-bitmap 2=tri6.cb
$page check copies/doc-0001.prn
"$rtlview" --png copies.png copies/doc-0001.prn >/dev/null

# A record index at N: the layout is refused, the page is the ticket's
# (40 + 96 rows, no drain).
sed 's|layout.bin|bad-index.bin|' copies.txt >bad-index.txt
run bad-index.txt bad-index --copy-bitmap 1=disk.cb --copy-bitmap 2=tri6.cb
[ "$(rows bad-index)" = 136 ]
# A bitmap shorter than its record (20 of 48 rows, in the first 32-row chunk
# of the top offset) ends the layout: what that chunk combined stays, nothing
# follows, no drain. A bitmap the host does not have ends it at its first row.
# Either way riphost exits with 1, naming the bitmap.
if run copies.txt short --copy-bitmap 1=disk.cb --copy-bitmap 2=short.cb; then exit 1; fi
grep -q 'copy bitmap 2 (short.cb) came up short' err.txt
$page check short/doc-0001.prn 136 28 32
if run copies.txt missing --copy-bitmap 1=disk.cb; then exit 1; fi
grep -q 'copy bitmap 2 (not given with --copy-bitmap) could not be opened' err.txt
$page check missing/doc-0001.prn 136 8 32
for out in short missing; do "$rtlview" $out/doc-0001.prn >/dev/null; done

# Pre-screened bands under a layout page of 262,144 pixels: riphost lays out its rows at the module's length.
sed 's|layout.bin|wide.bin|' copies.txt >wide.txt
"$riphost" --ticket wide.txt --out wide --send screened.bin --band-lines 32 2>/dev/null
"$rtlview" wide/doc-0001.prn >/dev/null
$page wide wide/doc-0001.prn
# A layout that claims four billion rows ends at its page height, at once.
sed 's|layout.bin|runaway.bin|' copies.txt >runaway.txt
timeout 60 "$riphost" --ticket runaway.txt --out runaway --write white.bin --band-lines 32 2>/dev/null
[ "$(rows runaway)" = 176 ]
echo "copy layouts natively: as expected"
