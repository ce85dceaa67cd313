#!/bin/bash
# riphost.exe loads Vexmoor.dll with LoadLibrary and prints through the real
# spooler of the test's Wine prefix: a raw printer whose port writes each
# spool document into the output folder. "BannerMode" and "SpoolMode" come
# from the prefix's registry.
set -euo pipefail
run=$PLEXOR_WINE_RUN
exe=$PLEXOR_BINARY_DIR/host/riphost/riphost.exe
prefix=$($run --prefix-dir)
work=$prefix/drive_c/riphost-test
rm -rf "$work"
mkdir -p "$work"

# 2000 x 2500 pixels, 1 bit, 4 planes: rowLength 252, 1008 bytes a row.
cat >"$work/ticket.txt" <<'TICKET'
# a 1-bit banner page
width = 2000
height = 2500
plane_count = 4
bits_per_pixel = 1
resolution1 = 720
resolution2 = 720
mode_name = Banner (Banner4-高速-双)
device_name = dev
printer_name = Plexor Test
document_name = 試験 page
screening = 3
TICKET
sed 's/Banner4-高速-双/Quality1-単/' "$work/ticket.txt" >"$work/nomode.txt"
export PYTHONPATH=$PLEXOR_SOURCE_DIR/tests/raster/job
(cd "$work" && python3 "$PYTHONPATH/make_pictures.py")
sed -e 's/2000/64/; s/2500/32/' "$work/ticket.txt" >"$work/png.txt"
sed -e 's/2000/64/; s/2500/8/' "$work/ticket.txt" >"$work/tiff.txt"
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work"

key='HKLM\SOFTWARE\norvane\Plexor\Configuration'
riphost() { $run "$exe" --ticket "C:\\riphost-test\\$1" --out "C:\\riphost-test\\$2" --send 'C:\riphost-test\planes.bin' "${@:3}"; }

# BannerMode 1: 1 MiB / 1008 bytes = 1040 rows a document; bands of 64 rows
# end documents after rows 1088 and 2176.
$run reg add "$key" /v BannerMode /t REG_DWORD /d 1 /f >/dev/null
riphost ticket.txt split 2>"$work/progress.txt"
docs=$(ls "$work/split")
[ "$docs" = "$(printf 'doc-0001.prn\ndoc-0002.prn\ndoc-0003.prn')" ] || { echo "split documents: $docs"; exit 1; }
grep -q '2500 of 2500 rows' "$work/progress.txt" || { echo "no progress shown"; exit 1; }

# SpoolMode 1 turns splitting off: one document with the same bytes.
$run reg add "$key" /v SpoolMode /t REG_DWORD /d 1 /f >/dev/null
riphost ticket.txt whole 2>/dev/null
[ "$(ls "$work/whole")" = doc-0001.prn ] || { echo "SpoolMode 1 still split"; exit 1; }
cat "$work"/split/doc-000{1,2,3}.prn | cmp - "$work/whole/doc-0001.prn"

python3 - "$work" <<'PY'
import re, sys
w = sys.argv[1]
docs = [open(f"{w}/split/doc-000{i}.prn", "rb").read() for i in (1, 2, 3)]
head = b"\x07Kavex_PM*ID250;*TM1;*IP,1;*PQ9;*FF0;\x1bE\x1b%0A\x1b*r2000S\x1b*r-4U\x1b*r1A"
tail = b"\x1b*rC\x1b%0B\x1bEPG;"
assert docs[0].startswith(head), docs[0][:60]
assert docs[2].endswith(tail)
rows = [len(re.findall(rb"\x1b\*b\d+W", d)) for d in docs]
assert rows == [1088, 1088, 324], rows
assert docs[1].startswith(b"\x1b*b"), "a split adds no bytes"
print("split into", rows, "rows")
PY

# Pictures through the imaging component: PNG (RGB) and a CMYK TIFF.
$run "$exe" --ticket 'C:\riphost-test\png.txt' --out 'C:\riphost-test\png' --image 'C:\riphost-test\picture.png' 2>/dev/null
$run "$exe" --ticket 'C:\riphost-test\tiff.txt' --out 'C:\riphost-test\tiff' --image 'C:\riphost-test\cyan.tif' 2>/dev/null
(cd "$work" && python3 -c "
import decode_stream
assert len(decode_stream.plane_rows(open('png/doc-0001.prn', 'rb').read())[2]) == 32
decode_stream.check_cyan_half('tiff/doc-0001.prn')")

# An output folder whose name holds a quote still receives the document.
riphost png.txt "it's here" 2>/dev/null
[ "$(ls "$work/it's here")" = doc-0001.prn ] || { echo "no document in a quoted folder"; exit 1; }

# A page with copies: the layout and the copy bitmaps are read through
# tessaro.dll; the copies land where the layout puts them, and a layout that
# does not hold together is refused while the page still prints.
mkdir -p "$work/copies"
(cd "$work/copies" && python3 "$PYTHONPATH/copy_layout_page.py" make . 'C:\riphost-test\copies\layout.bin')
sed 's|layout.bin|bad-index.bin|' "$work/copies/copies.txt" >"$work/copies/bad-index.txt"
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work/copies"
copies() {
  $run "$exe" --ticket "C:\\riphost-test\\copies\\$1" --out "C:\\riphost-test\\copies\\$2" \
    --write 'C:\riphost-test\copies\white.bin' --band-lines 32 \
    --copy-bitmap '1=C:\riphost-test\copies\disk.cb' --copy-bitmap '2=C:\riphost-test\copies\tri6.cb' 2>/dev/null
}
copies copies.txt out
python3 "$PYTHONPATH/copy_layout_page.py" check "$work/copies/out/doc-0001.prn"
copies bad-index.txt refused
python3 "$PYTHONPATH/copy_layout_page.py" check "$work/copies/refused/doc-0001.prn" 136 0 0  # blank, no drain

# The module and the host libraries come from the program's own folder by
# full path: a copy of the program started from another folder, which holds
# a stand-in Vexmoor.dll without the exports, prints; once its own module is
# gone it fails naming that path, and the stand-in is never loaded.
mkdir -p "$work/app" "$work/elsewhere"
cp "$exe" "$(dirname "$exe")"/{Vexmoor,tessaro,vindal,ombrix}.dll "$work/app/"
cp "$(dirname "$exe")/ombrix.dll" "$work/elsewhere/Vexmoor.dll"
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$work/app" "$work/elsewhere"
elsewhere() {
  (cd "$work/elsewhere" && $run 'C:\riphost-test\app\riphost.exe' --ticket 'C:\riphost-test\png.txt' \
     --out "C:\\riphost-test\\$1" --image 'C:\riphost-test\picture.png')
}
elsewhere beside 2>/dev/null
[ "$(ls "$work/beside")" = doc-0001.prn ] || { echo "no document from the program's own module"; exit 1; }
rm "$work/app/Vexmoor.dll"
rc=0
elsewhere gone 2>"$work/err.txt" || rc=$?
[ $rc = 1 ] && grep -qF 'LoadLibrary C:\riphost-test\app\Vexmoor.dll failed' "$work/err.txt" ||
  { echo "without its own module: exit $rc"; cat "$work/err.txt"; exit 1; }

# A failing export is named and the exit status is 1.
set +e
riphost nomode.txt failed 2>"$work/err.txt"
rc=$?
set -e
[ $rc = 1 ] || { echo "expected exit 1, got $rc"; exit 1; }
grep -q 'StartPrinter_16_FUNC failed' "$work/err.txt" || { cat "$work/err.txt"; exit 1; }
echo "riphost under Wine: documents as expected"
