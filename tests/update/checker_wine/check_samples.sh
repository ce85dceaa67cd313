#!/bin/bash
# check_samples.sh CHECKER.exe CHECKER_TEST_DIR
# Runs quillet-check.exe on the native checker test's sample scripts with the
# same options and compares each report with the same expected file: the
# Windows build (system cp932 converter, Windows C runtime) must print what
# the native build prints.
set -euo pipefail
checker=$1 dir=$2
folders=(--source-dir 'D:\upd' --work-dir 'C:\P' --tool-dir 'C:\P\tool'
  --system-dir 'C:\WINNT\system32' --iis-dir 'C:\Inetpub'
  --common-programs-dir 'C:\All\Programs' --common-desktop-dir 'C:\All\Desktop'
  --windir 'C:\WINNT')
# The Wine program sees the host's root as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

failures=0
check() {  # check EXPECTED STATUS ARGS...
  local expected=$1 want=$2
  shift 2
  local out status
  set +e
  out=$($PLEXOR_WINE_RUN "$checker" "$@")
  status=$?
  set -e
  if [ "$status" != "$want" ]; then
    echo "FAIL $expected: exit status $status, expected $want" >&2
    failures=$((failures + 1))
    return
  fi
  if [ "$(printf '%s\n' "$out" | tr -d '\r')" != "$(cat "$dir/expected/$expected")" ]; then
    echo "FAIL $expected: report differs" >&2
    diff <(printf '%s\n' "$out" | tr -d '\r') "$dir/expected/$expected" >&2 || true
    failures=$((failures + 1))
    return
  fi
  echo "ok $expected"
}

s=$dir/samples
check example.json 0 "${folders[@]}" "$(windows_path "$s/example.txt")"
check shared_slots.json 0 "${folders[@]}" "$(windows_path "$s/shared_slots.txt")"
check sjis_nt.json 0 "${folders[@]}" --os-major 4 --program-group Suite "$(windows_path "$s/sjis.txt")"
check sjis_2k.json 0 "${folders[@]}" "$(windows_path "$s/sjis.txt")"
check sjis_other_os.json 0 "${folders[@]}" --os-major=6 "$(windows_path "$s/sjis.txt")"
check overflow.json 1 "${folders[@]}" "$(windows_path "$s/overflow.txt")"
check textmode.json 0 "${folders[@]}" "$(windows_path "$s/textmode.txt")"
check ctrlz.json 0 "${folders[@]}" "$(windows_path "$s/ctrlz.txt")"
check escapes.json 0 "${folders[@]}" "$(windows_path "$s/escapes.txt")"
check example.plan 0 "${folders[@]}" --plan "$(windows_path "$s/example.txt")"
# The lint of a UTF-8 script whose media name is in another letter case: the
# same findings as natively (run from its folder, as the native test does).
pushd "$s/lintcase" >/dev/null
check lintcase.lint 1 --lint quillet.txt
popd >/dev/null
# The Windows build's own file lookup: the demo media lint clean, and the
# example's bin\core.dll is not beside it.
demo=$(cd "$dir/../../../demo/update/media" && pwd)
if out=$($PLEXOR_WINE_RUN "$checker" --lint "$(windows_path "$demo/quillet.txt")") && [ -z "$out" ]; then
  echo "ok demo lint"
else
  echo "FAIL demo lint: $out" >&2
  failures=$((failures + 1))
fi
set +e
out=$($PLEXOR_WINE_RUN "$checker" --lint "$(windows_path "$s/example.txt")")
status=$?
set -e
if [ "$status" = 1 ] && [[ "$out" == *'example.txt:7: error: "bin\core.dll" is not in the media folder'* ]]; then
  echo "ok example lint"
else
  echo "FAIL example lint (status $status): $out" >&2
  failures=$((failures + 1))
fi
[ "$failures" = 0 ] || { echo "$failures report(s) differ" >&2; exit 1; }
