#!/bin/bash
# The 64-bit package in use: CPack makes Plexor-<version>-win64.zip, which is
# unpacked into this suite's Wine prefix. Its update-media folder is the
# demo's update media: the packaged Quillet.exe first ends with "not
# installed" (no product yet), then applies the demo update silently to an
# installed Plexor 3.05. Its riphost.exe prints the demo page through the
# packaged Vexmoor.dll and host libraries, and its rtlview.exe decodes the
# spooled command stream.
set -euo pipefail
run=$PLEXOR_WINE_RUN
. "$PLEXOR_SOURCE_DIR/tests/wine/wine-env.sh"
drive=$($run --prefix-dir)/drive_c
work=$drive/pkg
rm -rf "$work" && mkdir -p "$work"

cpack --config "$PLEXOR_BINARY_DIR/CPackConfig.cmake" -B "$work/cpack" >/dev/null
zips=("$work"/cpack/Plexor-*-win64.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || { echo "no single win64 package: ${zips[*]}"; exit 1; }
python3 -m zipfile -e "${zips[0]}" "$work"
top=$(basename "${zips[0]}" .zip)
echo "unpacked $top"
own_for_wine_user -R "$work"
win="C:\\pkg\\$top"

# A Unix shell sees only the low byte of a Windows exit status.
status_of() {
  set +e
  "$run" "$@" >/dev/null 2>&1
  local rc=$?
  set -e
  echo $rc
}
expect_status() {  # expect_status WANT GOT WHAT
  [ "$2" = $(($1 & 255)) ] || { echo "FAIL: $3: status $2, expected $1 (low byte $(($1 & 255)))"; exit 1; }
  echo "$3: status $1 (low byte $2)"
}

expect_status 1605 "$(status_of "$win\\update-media\\Quillet.exe" silent)" "no product installed"

bash "$PLEXOR_SOURCE_DIR/demo/update/install-product.sh" "$run"
expect_status 0 "$(status_of "$win\\update-media\\Quillet.exe" silent)" "demo update"
grep -qx 'theme = light' "$drive/Plexor/bin/viewer.cfg" || { echo "FAIL: viewer.cfg not replaced"; exit 1; }
[ ! -e "$drive/Plexor/print1.tmp" ] || { echo "FAIL: print1.tmp not removed"; exit 1; }
[ -d "$drive/Plexor/logs" ] || { echo "FAIL: no work folder logs"; exit 1; }
"$run" reg query 'HKLM\SOFTWARE\norvane\Plexor\Configuration' /v BannerMode | tr -d '\r' |
  grep -q 'BannerMode.*0x40' || { echo "FAIL: BannerMode not set"; exit 1; }
echo "demo update applied"

# The demo page: 960 x 640 continuous-tone CMYK through the packaged module.
python3 "$PLEXOR_SOURCE_DIR/tests/raster/encode/contone_page.py" "$work/page.bin" 960 640
own_for_wine_user "$work/page.bin"
"$run" "$win\\rip\\riphost.exe" --ticket "$win\\rip\\demo-ticket.txt" --out 'C:\pkg\spool' \
  --write 'C:\pkg\page.bin' 2>/dev/null
[ "$(ls "$work/spool")" = doc-0001.prn ] || { echo "FAIL: spool documents: $(ls "$work/spool")"; exit 1; }
"$run" "$win\\tools\\rtlview.exe" --png 'C:\pkg\page.png' 'C:\pkg\spool\doc-0001.prn' >"$work/rtlview.txt"
cat "$work/rtlview.txt"
grep -q 'trailer present' "$work/rtlview.txt" || { echo "FAIL: no job trailer"; exit 1; }
# The preview holds the page and its offsets (960 + 24 by 640 + 16).
size=$(python3 -c "import struct,sys; print(*struct.unpack('>II', open(sys.argv[1],'rb').read()[16:24]))" "$work/page.png")
[ "$size" = "984 656" ] || { echo "FAIL: preview size $size"; exit 1; }
echo "demo page printed"
