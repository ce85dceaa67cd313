#!/bin/bash
# check_sjis.sh CHECKER.exe EXPECTED.json SCRIPT
# Places SCRIPT as C:\表\quillet.txt in the suite's prefix (表 is 0x95 0x5C
# in cp932) and runs the checker on it without --source-dir: the source
# folder must be C:\表, cut at the real backslash, not at 表's second byte.
set -euo pipefail
checker=$1 expected=$2 script=$3
prefix=$($PLEXOR_WINE_RUN --prefix-dir)
folder="$prefix/drive_c/表"
mkdir -p "$folder"
cp "$script" "$folder/quillet.txt"
chmod a+rx "$folder"
chmod a+r "$folder/quillet.txt"

fail() { echo "FAIL: $*" >&2; exit 1; }

set +e
out=$($PLEXOR_WINE_RUN "$checker" --os-major 4 --work-dir 'C:\P' --tool-dir 'C:\P\tool' \
  --system-dir 'C:\WINNT\system32' --iis-dir 'C:\Inetpub' \
  --common-programs-dir 'C:\All\Programs' --common-desktop-dir 'C:\All\Desktop' \
  --windir 'C:\WINNT' 'C:\表\quillet.txt')
status=$?
set -e
[ "$status" = 0 ] || fail "exit status $status, expected 0"
# The Windows program writes its lines in text mode (CR LF).
actual=$(printf '%s\n' "$out" | tr -d '\r')
if [ "$actual" != "$(cat "$expected")" ]; then
  diff <(printf '%s\n' "$actual") "$expected" >&2 || true
  fail "report differs from $expected"
fi

set +e
$PLEXOR_WINE_RUN "$checker" 'C:\表\missing.txt' >/dev/null 2>&1
status=$?
set -e
[ "$status" = 2 ] || fail "missing script: exit status $status, expected 2"
echo "quillet-check.exe: Shift-JIS script read as natively, source folder C:\\表"
