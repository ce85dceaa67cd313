#!/bin/sh
# rtlview on encoder streams: clean streams exit 0 and give back every plane
# byte for byte, also when split into several spool documents; damaged
# streams exit 1 with offsets; usage errors exit 2.
#   rtlview_cli_test.sh SAMPLE_PROGRAM RTLVIEW WORKDIR
set -u
sample=$1 rtlview=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

check_clean() {  # name, sample options...
  name=$1; shift
  "$sample" "$work/$name" "$@" >/dev/null || fail "$name: sample writer failed"
  # shellcheck disable=SC2046
  "$rtlview" --raw-planes "$work/$name.out" --png "$work/$name.png" $mirror_option $(ls "$work/$name".doc*.prn | sort -V) \
    >"$work/$name.log" 2>"$work/$name.err"
  rc=$?
  [ $rc -eq 0 ] || { cat "$work/$name.err"; fail "$name: rtlview exit $rc on a clean stream"; }
  [ -s "$work/$name.err" ] && { cat "$work/$name.err"; fail "$name: rtlview complained"; }
  for i in 0 1 2 3; do
    cmp -s "$work/$name.plane$i.raw" "$work/$name.out.plane$i.raw" || fail "$name: plane $i differs"
  done
  head -c 8 "$work/$name.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' || fail "$name: no PNG written"
  echo "ok: $name"
}

mirror_option=
check_clean one_bit --bpp 1
check_clean two_bit --bpp 2 --width 333 --height 77
check_clean split --bpp 1 --documents 3 --height 200
mirror_option=--mirror
check_clean mirrored --bpp 1 --mirror --width 301

# Damage: a truncated stream and a flipped header byte.
head -c 2000 "$work/one_bit.doc0.prn" > "$work/cut.prn"
"$rtlview" "$work/cut.prn" >/dev/null 2>"$work/cut.err"
[ $? -eq 1 ] || fail "truncated stream: exit status not 1"
grep -q 'offset [0-9]' "$work/cut.err" || fail "truncated stream: no offset reported"
printf '\007Kavex_PM*ID251;' > "$work/bad.prn"
"$rtlview" "$work/bad.prn" >/dev/null 2>"$work/bad.err"
[ $? -eq 1 ] || fail "bad header: exit status not 1"
grep -q 'offset 9:' "$work/bad.err" || fail "bad header: wrong offset: $(cat "$work/bad.err")"
echo "ok: damaged streams"

# Usage errors.
"$rtlview" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments: exit status not 2"
"$rtlview" --bogus x >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: exit status not 2"
"$rtlview" --png >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing option value: exit status not 2"
"$rtlview" "$work/does-not-exist" >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing file: exit status not 2"
echo "ok: usage"
exit 0
