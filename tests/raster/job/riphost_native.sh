#!/bin/bash
# riphost natively: pre-screened, continuous-tone and picture pages through
# the module into the file spooler's documents, the split by BannerMode, the
# input dump, and failing exports and refused jobs named with exit status 1.
#   riphost_native.sh RIPHOST
set -euo pipefail
riphost=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PYTHONPATH=$(dirname "$(realpath "$0")")
cd "$work"
python3 "$PYTHONPATH/make_pictures.py"
fails_with() {  # fails_with MESSAGE ARGS...: riphost ARGS exits with 1 and says MESSAGE
  local rc=0; "$riphost" "${@:2}" 2>err.txt || rc=$?
  [ $rc = 1 ] && grep -qF -- "$1" err.txt || { echo "riphost ${*:2}: exit status $rc"; cat err.txt; exit 1; }
}

cat >send.txt <<'TICKET'
width = 2000
height = 2500
plane_count = 4
bits_per_pixel = 1
resolution1 = 720
resolution2 = 720
mode_name = Banner (Banner4-高速-双)
device_name = dev
printer_name = Native Printer
TICKET
python3 - <<'PY'
import struct
# 16-bit planes, 300 x 40: a horizontal ramp of cyan and a vertical one of black.
w, h = 300, 40
data = bytearray()
for p in range(4):
    for y in range(h):
        for x in range(w):
            v = x * 65535 // (w - 1) if p == 0 else (y * 65535 // (h - 1) if p == 3 else 0)
            data += struct.pack("<H", v)
open("contone.bin", "wb").write(data)
PY

# BannerMode 1 splits after rows 1088 and 2176 (bands of 64).
echo "BannerMode = 1" >split.conf
PLEXOR_CONFIG=split.conf "$riphost" --ticket send.txt --out split --send planes.bin --dump dump.bin 2>progress.txt
grep -q '2500 of 2500 rows' progress.txt
[ "$(ls split)" = "$(printf 'doc-0001.prn\ndoc-0002.prn\ndoc-0003.prn')" ]
printf 'BannerMode = 1\nSpoolMode = 1\n' >whole.conf
PLEXOR_CONFIG=whole.conf "$riphost" --ticket send.txt --out whole --send planes.bin 2>/dev/null
[ "$(ls whole)" = doc-0001.prn ]
cat split/doc-000{1,2,3}.prn | cmp - whole/doc-0001.prn
python3 - <<'PY'
import re
docs = [open(f"split/doc-000{i}.prn", "rb").read() for i in (1, 2, 3)]
assert docs[0].startswith(b"\x07Kavex_PM*ID250;*TM1;*IP,1;*PQ9;*FF0;\x1bE\x1b%0A\x1b*r2000S\x1b*r-4U\x1b*r1A")
assert docs[2].endswith(b"\x1b*rC\x1b%0B\x1bEPG;")
rows = [len(re.findall(rb"\x1b\*b\d+W", d)) for d in docs]
assert rows == [1088, 1088, 324], rows
dump = open("dump.bin", "rb").read()
assert dump[:22] == b"TITN\x05\x00\x16\x00\xd0\x07\xc4\x09,\x01,\x01\x04\x02\x00\x00\x01" + b"1", dump[:22]
assert len(dump) == 512 + 2500 * 252 * 4, len(dump)
planes = open("planes.bin", "rb").read()
# Row 7's record: packed byte k of plane p at 4 * k + p.
row = dump[512 + 7 * 1008: 512 + 8 * 1008]
assert all(row[4 * k + p] == planes[p * 252 * 2500 + 7 * 252 + k] for k in range(252) for p in range(4))
PY

# Continuous tone, dither matrix, 2 bits.
sed -e 's/2000/300/; s/2500/40/' -e 's/bits_per_pixel = 1/bits_per_pixel = 2/' \
    -e 's/Banner4-高速-双/Quality3-高品質-単/' send.txt >write.txt
echo "screening = 4" >>write.txt
"$riphost" --ticket write.txt --out write --write contone.bin --band-lines 7 2>/dev/null
python3 - <<'PY'
import re
d = open("write/doc-0001.prn", "rb").read()
assert b"*IP,2;*PQ2;" in d and b"\x1b*r600S" in d
assert len(re.findall(rb"\x1b\*b\d+W", d)) == 40
PY

# Printer names as hosts give them: Latin-1 bytes, and 255 bytes that are
# too long for a folder name once escaped. riphost's folder is the module's.
for name in $'Caf\xe9 One' "$(printf '/%.0s' {1..90})$(printf 'x%.0s' {1..165})"; do
  sed "s|printer_name = Native Printer|printer_name = $name|" write.txt >named.txt
  rm -rf named && "$riphost" --ticket named.txt --out named --write contone.bin 2>/dev/null
  cmp named/doc-0001.prn write/doc-0001.prn
done

# A picture, error diffusion.
sed -e 's/2000/64/; s/2500/32/' send.txt >image.txt
echo "screening = 3" >>image.txt
if "$riphost" --ticket image.txt --out image --image picture.png 2>err.txt; then
  python3 -c "import decode_stream; assert len(decode_stream.plane_rows(open('image/doc-0001.prn', 'rb').read())[2]) == 32"
else
  grep -q 'cannot read' err.txt  # built without libpng
fi

# A CMYK TIFF of full cyan on the left half: every cyan dot there, no other ink.
sed -e 's/2000/64/; s/2500/8/' send.txt >tiff.txt
if "$riphost" --ticket tiff.txt --out tiff --image cyan.tif 2>err.txt; then
  python3 -c "import decode_stream; decode_stream.check_cyan_half('tiff/doc-0001.prn')"
else
  grep -q 'cannot read' err.txt  # built without libtiff
fi

# Failing exports are named, with exit status 1.
sed 's/Banner4-高速-双/Quality1-単/' send.txt >nomode.txt
fails_with 'StartPrinter_16_FUNC failed' --ticket nomode.txt --out nomode --send planes.bin
sed 's/device_name = dev/device_name = other/' send.txt >nodevice.txt
echo "printer_name =" >>nodevice.txt
fails_with 'InitPrinter_16_FUNC failed' --ticket nodevice.txt --out nodevice --send planes.bin
# A page whose size wraps the size arithmetic (2^30 x 2^30 samples of 2 bytes
# in 8 planes is 2^64 bytes) is refused before the module sees a band.
sed -e 's/2000/1073741824/; s/2500/1073741824/; s/plane_count = 4/plane_count = 8/' send.txt >huge.txt
: >empty.bin
fails_with 'the page is too large' --ticket huge.txt --out huge --write empty.bin
# Jobs that would print a wrong page are refused with the cause, and no spool document.
{ cat write.txt; echo "screening = 3"; echo "output_planes = 6"; echo "ink_set = 7"; } >sixinks.txt
fails_with 'InitPrinter_16_FUNC failed: output_planes 6' --ticket sixinks.txt --out sixinks --write contone.bin
{ cat write.txt; echo "input_colour_type = 1"; } >blank.txt
fails_with 'input_colour_type 1 differs from ink_set 2' --ticket blank.txt --out blank --write contone.bin
[ -z "$(ls -A sixinks; ls -A blank)" ]
{ cat write.txt; echo "screening = 0"; } >unscreened.txt
fails_with 'WritePrinter_16_FUNC failed: screening 0 screens no' --ticket unscreened.txt --out unscreened --write contone.bin
echo "riphost natively: documents as expected"
