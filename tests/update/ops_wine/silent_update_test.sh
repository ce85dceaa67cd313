#!/bin/bash
# End to end: "Quillet.exe silent" started from a media folder on a prefix
# that holds the product key and the project's test service, installed as a
# worker and as the print service, ends no process (Wine lists none), stops
# the worker before the copy and starts it again, places, replaces, keeps and
# removes exactly the expected files, applies the registry lines, writes the
# patch and uninstall records and both kinds of shortcut, notifies the print
# service, starts a probe program at each of the four points of the run, and
# ends on its own (a window left open would block it until the time limit).
# A slow-stopping and a still-starting service run again too (exit 0). The
# media is sealed; damaged and incomplete media are refused first (1620). A
# second run (see there) meets hung services and a planted program.
set -Eeuo pipefail
trap 'echo "stopped at line $LINENO: $BASH_COMMAND (status $?)" >&2' ERR
: "${PLEXOR_WINE_RUN:?run under the Wine harness}"
here=$(cd "$(dirname "$0")" && pwd)
dlls=$PLEXOR_BINARY_DIR/tests/update/ops_wine
service_exe=$PLEXOR_BINARY_DIR/tests/update/services_wine/plexor_test_service.exe
quillet=$PLEXOR_BINARY_DIR/update/app/Quillet.exe
prefix=$("$PLEXOR_WINE_RUN" --prefix-dir)
drive=$prefix/drive_c
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
wine_run() { "$PLEXOR_WINE_RUN" "$@"; }

# --- The services: the test service as "PlexorTestWorker" (stopped and
# started by the script), as the print service "Lindquay" (notified), and in
# the modes their names tell ("PlexorNoProgram": its program is missing); all
# log their events to one file. A run before this one may have left them. ---
services='PlexorTestWorker Lindquay PlexorSlowStop PlexorSlowStart PlexorStuck PlexorNoProgram'
declare -A service_modes=([PlexorTestWorker]=linger=4 [PlexorSlowStop]=slowstop=14
  [PlexorSlowStart]=slowstart=8 [PlexorStuck]=stuckstop)
events=$drive/testsvc/events.log
service_state() {
  wine_run sc query "$1" 2>/dev/null | tr -d '\r' | awk '$1 == "STATE" {print $4}' || true
}
wait_service() {  # name state: up to 30 s, Wine starts slowly under load
  for _ in $(seq 300); do
    [ "$(service_state "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
remove_services() {
  [ ! -d "$drive/testsvc" ] || touch "$events.release"  # lets PlexorStuck stop
  for name in $services; do
    [ -n "$(service_state "$name")" ] || continue
    wine_run sc stop "$name" >/dev/null 2>&1 || true
    wait_service "$name" STOPPED || echo "service $name does not stop: $(service_state "$name")"
    wine_run sc delete "$name" >/dev/null 2>&1 || true
  done
}
trap remove_services EXIT
remove_services
rm -rf "$drive/testsvc"
mkdir -p "$drive/testsvc"
cp "$service_exe" "$drive/testsvc/"

# --- The installed product: C:\Plexor with its work folder, and the key ---
desktop=$drive/users/Public/Desktop
group=$drive/ProgramData/Programs/Plexor
rm -rf "$drive/Plexor" "$drive/media" "$drive/inetpub" "$desktop"/Fresh.* "$group"
mkdir -p "$desktop" "$group"
mkdir -p "$drive/Plexor/bin" "$drive/Plexor/old/sub" "$drive/Plexor/dir.tmp" "$drive/Plexor/Copypool" \
  "$drive/inetpub" "$drive/media/bin"
cp "$dlls/ver_1_2_3.dll" "$drive/Plexor/bin/keep.dll"
cp "$dlls/ver_1_2_3.dll" "$drive/Plexor/bin/newer.dll"
echo "installed notes" >"$drive/Plexor/notes.txt"
echo "installed, newer" >"$drive/Plexor/older.txt"
echo "installed read-only" >"$drive/Plexor/ro.dat"
echo "tree" >"$drive/Plexor/old/a.txt"
echo "tree" >"$drive/Plexor/old/ro.txt"
echo "tree" >"$drive/Plexor/old/sub/deep.txt"
echo "x" >"$drive/Plexor/a.tmp"
echo "x" >"$drive/Plexor/B.TMP"
echo "x" >"$drive/Plexor/dir.tmp/inner.txt"
echo "x" >"$drive/Plexor/keep.txt"
touch -d '2020-01-01 12:00:00' "$drive/Plexor/older.txt"

# --- The media: the program, the script and the files ---
cp "$quillet" "$drive/media/Quillet.exe"
cp "$here/silent_media/quillet.txt" "$drive/media/quillet.txt"
cp "$dlls/launch_probe.exe" "$drive/media/launch_probe.exe"
cp "$dlls/ver_1_2_2.dll" "$drive/media/bin/keep.dll"
cp "$dlls/ver_1_3_0.dll" "$drive/media/bin/newer.dll"
cp "$dlls/ver_none.dll" "$drive/media/bin/fresh.dll"
echo "media notes" >"$drive/media/notes.txt"
echo "media, older" >"$drive/media/older.txt"
echo "media absent" >"$drive/media/absent.txt"
echo "media ro" >"$drive/media/ro.dat"
touch -d '2019-01-01 12:00:00' "$drive/media/older.txt"
if [ "$(id -u)" = 0 ]; then
  chown -R nobody:nogroup "$drive/Plexor" "$drive/media" "$drive/inetpub" "$desktop" "$group" \
    "$drive/testsvc"
fi
for name in $services; do
  binary='C:\testsvc\plexor_test_service.exe C:\testsvc\events.log'
  [ "$name" != PlexorNoProgram ] || binary='C:\testsvc\missing.exe'
  wine_run sc create "$name" binPath= "$binary ${service_modes[$name]:-}" >/dev/null
  case $name in PlexorNoProgram | PlexorSlowStart) continue ;; esac
  wine_run sc start "$name" >/dev/null
  wait_service "$name" RUNNING || fail "set-up: service $name does not run: $(service_state "$name")"
done
# Read-only, hidden and system files: Wine keeps read-only as a missing write
# bit and the other two in the file's DOS attributes.
wine_run cmd /c attrib +r 'C:\Plexor\ro.dat' >/dev/null
wine_run cmd /c attrib +r 'C:\Plexor\old\ro.txt' >/dev/null
wine_run cmd /c attrib +h +s 'C:\Plexor\old\a.txt' >/dev/null
wine_run cmd /c attrib +r 'C:\media\ro.dat' >/dev/null
[ "$(stat -c %A "$drive/Plexor/ro.dat" | cut -c3)" = - ] || fail "set-up: ro.dat is not read-only"

key='HKLM\SOFTWARE\norvane\Plexor'
wine_run reg add "$key" /ve /d WZ /f >/dev/null
wine_run reg add "$key" /v VersionNo /d 3.05 /f >/dev/null
wine_run reg add "$key" /v CopypoolPath /d 'C:\Plexor\Copypool' /f >/dev/null
wine_run reg add "$key" /v InetPubPath /d 'C:\inetpub' /f >/dev/null
wine_run reg add "$key\\Update\\100" /v Title /d old /f >/dev/null
wine_run reg add "$key\\Obsolete\\Child" /v x /d 1 /f >/dev/null
folders='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
wine_run reg add "$folders" /v "Common Programs" /d 'C:\ProgramData\Programs' /f >/dev/null
wine_run reg add "$folders" /v "Common Desktop" /d 'C:\users\Public\Desktop' /f >/dev/null

# --- The media's seal: quillet-check.exe writes quillet.sha256, which
# sha256sum checks too. Three media are refused with 1620 (low byte 84)
# before anything changes, each naming its file in the log: a sealed one
# with a cut source, a sealed one whose script is cut in mid-line, and an
# unsealed one without its first source. ---
service_events() {  # name: its events without their times, comma-separated
  awk -v name="$1" '$1 == name {e = $2; for (i = 3; i < NF; i++) e = e " " $i; print e}' "$events" |
    paste -sd,
}
checker=$PLEXOR_BINARY_DIR/tools/quillet-check/quillet-check.exe
wine_run "$checker" --seal 'C:\media' >/dev/null || fail "quillet-check --seal 'C:\\media' failed"
(cd "$drive/media" && sha256sum --quiet -c quillet.sha256) || fail "sha256sum -c refuses the seal"
grep -qx '[0-9a-f]\{64\}  bin/fresh.dll' "$drive/media/quillet.sha256" || fail "seal: $(cat "$drive/media/quillet.sha256")"
# A link in the list's place is replaced by the list, never written through
# (Wine shows a Unix link as a plain file; a Windows reparse point is refused).
mv "$drive/media/quillet.sha256" "$drive/quillet.sha256.sealed"
printf kept >"$drive/kept.txt"
ln -s "$drive/kept.txt" "$drive/media/quillet.sha256"
if [ "$(id -u)" = 0 ]; then chown -h nobody:nogroup "$drive/media/quillet.sha256"; fi
wine_run "$checker" --seal 'C:\media' >/dev/null || fail "quillet-check --seal over a link failed"
[ "$(cat "$drive/kept.txt")" = kept ] || fail "the seal wrote through a link"
[ ! -L "$drive/media/quillet.sha256" ] && cmp -s "$drive/media/quillet.sha256" "$drive/quillet.sha256.sealed" ||
  fail "the link in the list's place was not replaced by the list"
rm -f "$drive/kept.txt" "$drive/quillet.sha256.sealed"
machine_files=$(cd "$drive/Plexor" && find . -printf '%p %s\n' | sort)
refused_run() {  # label, then the text the log must hold
  local status=0
  rm -f "$drive/check.log"
  timeout 120 "$PLEXOR_WINE_RUN" 'C:\media\Quillet.exe' quiet /log 'C:\check.log' || status=$?
  [ "$status" = $((1620 & 255)) ] || fail "$1: ended with $status, not 1620"
  grep -qF "$2" "$drive/check.log" || fail "$1: the log does not say '$2': $(cat "$drive/check.log")"
  [ "$(service_events PlexorTestWorker)" = "start,running" ] || fail "$1: a service was controlled"
  [ "$(cd "$drive/Plexor" && find . -printf '%p %s\n' | sort)" = "$machine_files" ] || fail "$1: files changed"
  if wine_run reg query "$key\\UninstFiles" >/dev/null 2>&1; then fail "$1: uninstall records written"; fi
}
cp "$drive/media/bin/fresh.dll" "$drive/fresh.dll.whole"
truncate -s 2048 "$drive/media/bin/fresh.dll"
refused_run "sealed media, cut source" 'ファイル bin\fresh.dll が壊れています'
cat "$drive/fresh.dll.whole" >"$drive/media/bin/fresh.dll" && rm "$drive/fresh.dll.whole"
cp "$drive/media/quillet.txt" "$drive/quillet.txt.whole"
cut_at=$(($(grep -b -m1 '^stopSvc:' "$drive/quillet.txt.whole" | cut -d: -f1) + 12))
head -c "$cut_at" "$drive/quillet.txt.whole" >"$drive/media/quillet.txt"
refused_run "sealed media, script cut in mid-line" 'ファイル quillet.txt が壊れています'
cat "$drive/quillet.txt.whole" >"$drive/media/quillet.txt" && rm "$drive/quillet.txt.whole"
mv "$drive/media/quillet.sha256" "$drive/quillet.sha256.aside"
mv "$drive/media/bin/keep.dll" "$drive/keep.dll.aside"
refused_run "unsealed media, first source missing" 'ファイル bin\keep.dll が見つからないか'
mv "$drive/keep.dll.aside" "$drive/media/bin/keep.dll"
mv "$drive/quillet.sha256.aside" "$drive/media/quillet.sha256"
# The seal covers the programs the script starts: one changed after sealing
# is refused, and never runs (its launch.log would be a changed file).
cp "$drive/media/launch_probe.exe" "$drive/launch_probe.exe.whole"
printf 'x' >>"$drive/media/launch_probe.exe"
refused_run "sealed media, launched program changed" 'ファイル launch_probe.exe が壊れています'
cat "$drive/launch_probe.exe.whole" >"$drive/media/launch_probe.exe" && rm "$drive/launch_probe.exe.whole"

# --- The run; PlexorSlowStart is still starting when it begins. The media
# is rewritten under it: once notes.txt has reached the stage (its one read),
# the share's copy changes; what is installed is still the sealed file. ---
cp "$drive/media/notes.txt" "$drive/notes.txt.sealed"
rm -f "$drive/media.rewritten"
(
  for _ in $(seq 3000); do  # up to 30 s for the stage to hold the whole file
    staged=$drive/Plexor/~qstage0/notes.txt
    if [ "$(stat -c %s "$staged" 2>/dev/null)" = "$(stat -c %s "$drive/notes.txt.sealed")" ]; then
      echo "MEDIA NOTES" >"$drive/media/notes.txt" && touch "$drive/media.rewritten"
      break
    fi
    sleep 0.01
  done
) &
rewriter=$!
wine_run sc start PlexorSlowStart >/dev/null
start=$(date +%s)
status=0
timeout 180 "$PLEXOR_WINE_RUN" 'C:\media\Quillet.exe' silent || status=$?
[ "$status" = 0 ] || fail "Quillet.exe silent ended with $status (124: it did not end by itself)"
echo "run took $(($(date +%s) - start)) s"
wait "$rewriter" || true
[ -e "$drive/media.rewritten" ] || fail "notes.txt was never seen in the stage"

# --- Files ---
same() { cmp -s "$1" "$2" || fail "$3"; }
same "$drive/Plexor/bin/keep.dll" "$dlls/ver_1_2_3.dll" "keep.dll 1.2.3 was replaced by 1.2.2"
same "$drive/Plexor/bin/newer.dll" "$dlls/ver_1_3_0.dll" "newer.dll 1.2.3 was not replaced by 1.3.0"
same "$drive/Plexor/bin/fresh.dll" "$dlls/ver_none.dll" "fresh.dll was not placed in bin"
same "$drive/Plexor/logs/fresh.dll" "$dlls/ver_none.dll" "fresh.dll was not placed in the new work folder logs"
same "$drive/Plexor/notes.txt" "$drive/notes.txt.sealed" "notes.txt as sealed (equal times? newer media) was not placed"
cat "$drive/notes.txt.sealed" >"$drive/media/notes.txt" && rm "$drive/notes.txt.sealed" "$drive/media.rewritten"
[ "$(cat "$drive/Plexor/older.txt")" = "installed, newer" ] || fail "older.txt with an older media copy was replaced"
[ ! -e "$drive/Plexor/absent.txt" ] || fail "replace: created absent.txt"
[ "$(cat "$drive/Plexor/ro.dat")" = "media ro" ] || fail "overwrite: did not replace the read-only ro.dat"
# Wine keeps read-only as a missing owner write bit ([ -w ] would not do as root).
[ "$(stat -c %A "$drive/Plexor/ro.dat" | cut -c3)" = w ] || fail "ro.dat stayed read-only"
[ ! -e "$drive/Plexor/old" ] || fail "remove:old left the tree: $(find "$drive/Plexor/old")"
[ ! -e "$drive/Plexor/a.tmp" ] && [ ! -e "$drive/Plexor/B.TMP" ] && [ ! -e "$drive/Plexor/dir.tmp" ] ||
  fail "remove:*.tmp left matches"
[ -e "$drive/Plexor/keep.txt" ] || fail "remove:*.tmp deleted keep.txt"
leftovers=$(find "$drive/Plexor" -name '*~qt*')
[ -z "$leftovers" ] || fail "temporary copies left: $leftovers"
expected_files=$(cd "$drive/Plexor" && find . | sort | tr '\n' ' ')
# The stage keeps only the program it started (it may still run), until the next start.
want='. ./Copypool ./bin ./bin/fresh.dll ./bin/keep.dll ./bin/newer.dll ./keep.txt ./launch.log ./logs ./logs/fresh.dll ./notes.txt ./older.txt ./ro.dat ./~qstage0 ./~qstage0/launch_probe.exe '
[ "$expected_files" = "$want" ] || fail "files under C:\\Plexor: $expected_files"

# --- Registry ---
query() { wine_run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -i " $2 " || true; }
query "$key\\Configuration" SpoolMode | grep 'REG_DWORD *0x2$' >/dev/null || fail "SpoolMode: $(query "$key\\Configuration" SpoolMode)"
query "$key\\Configuration" BannerMode | grep 'REG_SZ *on$' >/dev/null || fail "BannerMode: $(query "$key\\Configuration" BannerMode)"
if wine_run reg query "$key\\Obsolete" >/dev/null 2>&1; then fail "delSubKey:Obsolete left the key"; fi
if wine_run reg query "$key\\Update\\100" >/dev/null 2>&1; then fail "PatchDelAll: left patch 100"; fi
query "$key\\Update\\105" Title | grep 'REG_SZ *Fix 105$' >/dev/null || fail "patch 105 Title: $(query "$key\\Update\\105" Title)"
query "$key\\Update\\105" Date | grep -E 'REG_SZ *[0-9]{4}/[0-9]{2}/[0-9]{2}$' >/dev/null || fail "patch 105 Date"
query "$key\\Update\\105" Time | grep -E 'REG_SZ *[0-9]{1,2}:[0-9]{2}:[0-9]{2}$' >/dev/null || fail "patch 105 Time"
uninst="$key\\UninstFiles"
check_record() {
  query "$uninst" "$1" | grep -F "REG_SZ    $2" >/dev/null || fail "$1 is not $2: $(query "$uninst" "$1")"
}
check_record FILE0 'C:\Plexor\bin\keep.dll'
check_record FILE1 'C:\Plexor\bin\newer.dll'
check_record FILE2 'C:\Plexor\bin\fresh.dll'
check_record FILE3 'C:\Plexor\logs\fresh.dll'
check_record FILE4 'C:\users\Public\Desktop\Fresh.url'
check_record FILE5 'C:\users\Public\Desktop\Fresh.lnk'
check_record FILE6 'C:\ProgramData\Programs\Plexor\Fresh.lnk'
check_record DIR0 'C:\Plexor\logs'
# Exactly these values: patch:, replace:, overwrite: and remove: entries are
# not recorded.
values=$(wine_run reg query "$uninst" 2>/dev/null | tr -d '\r' | awk '$2 ~ /^REG_/ {print $1}' | sort | tr '\n' ' ' || true)
[ "$values" = "DIR0 FILE0 FILE1 FILE2 FILE3 FILE4 FILE5 FILE6 " ] || fail "values of UninstFiles: $values"
# Exactly the new patch record is left.
patches=$(wine_run reg query "$key\\Update" 2>/dev/null | tr -d '\r' | grep -i '^HKEY_LOCAL_MACHINE.*\\Update\\' | sed 's/.*\\//' | sort | tr '\n' ' ' || true)
[ "$patches" = "105 " ] || fail "patch records under Update: $patches"

# --- Shortcuts: the internet shortcut byte for byte (CR LF lines), shell
# links by their header (the Wine adapter test reads them back) ---
printf '[InternetShortcut]\r\nURL=file:C:\\media\\bin\\fresh.dll\r\n\r\nIconIndex=0\r\nIconFile=C:\\media\\bin\\fresh.dll\r\n' >"$drive/expected.url"
same "$desktop/Fresh.url" "$drive/expected.url" "Fresh.url: $(od -c "$desktop/Fresh.url" 2>&1 | head -5)"
rm -f "$drive/expected.url"
for link in "$desktop/Fresh.lnk" "$group/Fresh.lnk"; do
  [ "$(head -c 8 "$link" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 4c00000001140200 ] || fail "$link is no shell link"
done

# --- Services: the worker stopped and started once, the print service
# received the notice (control code 128). Each event carries its time. ---
event_time() {  # name event [nth]: the FILETIME ticks of that event
  awk -v name="$1" -v event="$2" -v nth="${3:-1}" \
    '$1 == name && $2 == event && ++n == nth {sub(/^@/, "", $NF); print $NF}' "$events"
}
[ "$(service_events PlexorTestWorker)" = "start,running,control 1,stopped,start,running" ] ||
  fail "PlexorTestWorker events: $(service_events PlexorTestWorker)"
[ "$(service_events Lindquay)" = "start,running,control 128" ] ||
  fail "Lindquay events: $(service_events Lindquay)"
for name in PlexorSlowStop PlexorSlowStart; do
  [ "$(service_events $name)" = "start,running,control 1,stopped,start,running" ] ||
    fail "$name events: $(service_events $name)"
done

# --- Programs: each phase's probe records its start time, whether the work
# folder, the placed file, the internet shortcut and the shell link existed,
# and the state of the worker service (only the "later" one can be sure of
# it: the others start alongside a stop or start under way).
# The programs run on their own: wait until all four have written. ---
log=$drive/Plexor/launch.log
for _ in $(seq 100); do
  [ "$(wc -l 2>/dev/null <"$log" || echo 0)" -ge 4 ] && break
  sleep 0.1
done
seen() { awk -v phase="$1" '$1 == phase {$2 = ""; print}' "$log" | tr -s ' '; }
started() { awk -v phase="$1" '$1 == phase {print $2}' "$log"; }
[ "$(wc -l <"$log")" = 4 ] || fail "launch.log: $(cat "$log")"
# Deterministic facts only: a "beforecopy" program may see the copy done by
# the time it looks, an "aftercopy" one the shortcuts.
seen previous | grep '^previous no no no no ' >/dev/null || fail "previous program saw: $(seen previous)"
seen beforecopy | grep '^beforecopy yes ' >/dev/null || fail "beforecopy program saw no work folder: $(seen beforecopy)"
seen aftercopy | grep '^aftercopy yes yes ' >/dev/null || fail "aftercopy program saw no placed file: $(seen aftercopy)"
[ "$(seen later)" = "later yes yes yes yes running" ] || fail "later program saw: $(seen later)"
# Service events among the program starts (FILETIME: 100 ns ticks): the
# worker is asked to stop after the "previous" program started, has stopped
# before the "beforecopy" one (and so before the copy), and starts again only
# after the "aftercopy" one; the "later" program starts after the notice and
# its two waits of 5 s.
ordered() {  # label time time...: each time before the next
  local label=$1 before=$2 time
  shift 2
  for time in "$@"; do
    [ -n "$before" ] && [ -n "$time" ] && [ "$before" -lt "$time" ] || { fail "out of order: $label"; return; }
    before=$time
  done
}
ordered "previous start, stop request, stopped, beforecopy start" \
  "$(started previous)" "$(event_time PlexorTestWorker control)" \
  "$(event_time PlexorTestWorker stopped)" "$(started beforecopy)"
ordered "aftercopy start, worker started again, running, notice" \
  "$(started aftercopy)" "$(event_time PlexorTestWorker start 2)" \
  "$(event_time PlexorTestWorker running 2)" "$(event_time Lindquay control)"
notice=$(event_time Lindquay control)
ordered "notice and its two waits of 5 s, later start" "${notice:+$((notice + 99000000))}" "$(started later)"
ordered "PlexorSlowStart was still starting when the run reached it; it stopped before the copy" \
  "$(started previous)" "$(event_time PlexorSlowStart running)" \
  "$(event_time PlexorSlowStart stopped)" "$(started beforecopy)"
order=$(for phase in previous beforecopy aftercopy later; do echo "$(started $phase) $phase"; done | sort -n | awk '{print $2}' | tr '\n' ' ')
[ "$order" = "previous beforecopy aftercopy later " ] || fail "programs started in the order: $order"

# --- Second run: from "C:\Update Media" with "C:\Update.exe" planted (an
# unquoted command line would start it), PlexorStuck and PlexorNoProgram ---
media2=$drive/Update\ Media
rm -rf "$media2" "$drive/Update.exe" "$drive/testsvc/args.log"
mkdir -p "$media2"
cp "$quillet" "$media2/Quillet.exe"
cp "$dlls/launch_probe.exe" "$media2/launch_probe.exe"
cp "$dlls/launch_probe.exe" "$drive/Update.exe"
params='C:\testsvc\args.log cmdline -a "b c"'
printf '%s\n' 'VerCheckLower:3.00' 'VerCheckUpper:3.09' 'stopSvc:PlexorStuck' 'startSvc:PlexorStuck' \
  'startSvc:PlexorNoProgram' 'setTime:previous' "setParam:$params" 'goExeParam:launch_probe.exe' \
  >"$media2/quillet.txt"
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$media2" "$drive/Update.exe"; fi
start=$(date +%s)
status=0
timeout 400 "$PLEXOR_WINE_RUN" 'C:\Update Media\Quillet.exe' silent || status=$?
took=$(($(date +%s) - start))
echo "second run took $took s"
# Two limits of 120 s (the stop, then the start's wait for it), the retried
# start and the fixed waits; the shell sees the status' low byte (1627: 91).
[ "$status" = $((1627 & 255)) ] || fail "second run ended with $status, not 1627 (124: it did not end by itself)"
[ "$took" -le 300 ] || fail "second run took $took s, past its limits"
[ "$(service_events PlexorStuck)" = "start,running,control 1" ] ||
  fail "PlexorStuck events: $(service_events PlexorStuck)"
# The program runs from the stage, never from the media.
case "$(tr -d '\r' <"$drive/testsvc/args.log" 2>/dev/null)" in
  "C:\Plexor\~qstage"[0-9]"\launch_probe.exe | C:\Plexor\~qstage"[0-9]"\launch_probe.exe $params") ;;
  *) fail "programs started from the stage: $(cat "$drive/testsvc/args.log" 2>&1)" ;;
esac

# --- All or nothing. The product as it stands (files with their bytes and
# modes, the product key with every value), to compare after each run below.
product_state() {
  (cd "$drive/Plexor" && find . ! -name launch.log ! -path './~qstage*' -printf '%p %y %m\n' | sort &&
    find . -type f ! -name launch.log ! -path './~qstage*' -exec md5sum {} + | sort)
  wine_run reg query "$key" /s 2>/dev/null | tr -d '\r' || true
}
wait_service PlexorTestWorker RUNNING || fail "all or nothing: the worker does not run before"
before=$(product_state)

# A copy that fails at the last file (its target folder does not exist; a
# missing source would be refused before any change) after a folder was
# removed, a file patched and one replaced: 1603 (the shell sees 67), and
# the product is as before, byte for byte, without new uninstall records.
media3=$drive/media3
rm -rf "$media3"
mkdir -p "$media3/bin"
cp "$quillet" "$media3/Quillet.exe"
echo "third notes" >"$media3/notes.txt"
cp "$dlls/ver_1_3_0.dll" "$media3/bin/fresh.dll"
cp "$dlls/ver_1_3_0.dll" "$media3/bin/last.dll"
printf '%s\r\n' 'VerCheckLower:3.00' 'VerCheckUpper:3.09' 'stopSvc:PlexorTestWorker' \
  'startSvc:PlexorTestWorker' 'remove:logs' 'toWork:' 'patch:notes.txt' 'toWork:' \
  'file:bin\fresh.dll' 'toWork:bin' 'file:bin\last.dll' 'toWork:nofolder' \
  'setKey:SOFTWARE\norvane\Plexor\Configuration' 'setName:SpoolMode' 'addDWORDValue:7' \
  >"$media3/quillet.txt"
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$media3"; fi
status=0
timeout 180 "$PLEXOR_WINE_RUN" 'C:\media3\Quillet.exe' quiet /log 'C:\media3\run.log' || status=$?
[ "$status" = $((1603 & 255)) ] || fail "late copy failure ended with $status, not 1603"
[ "$(product_state)" = "$before" ] ||
  fail "late copy failure changed the product: $(diff <(echo "$before") <(product_state) | head -20)"
wait_service PlexorTestWorker RUNNING || fail "late copy failure: the worker does not run"

# A run killed in the middle of its copy (five large files), then a start
# that is refused by its version test: the first thing it does is put the
# machine back, and start the worker the killed run had stopped. Then the
# update, run again, completes.
media4=$drive/killmedia
rm -rf "$media4"
mkdir -p "$media4/big"
cp "$quillet" "$media4/Quillet.exe"
for n in 1 2 3 4 5; do head -c 64M /dev/zero >"$media4/big/big$n.bin"; done
{
  printf '%s\r\n' 'VerCheckLower:3.00' 'VerCheckUpper:3.09' 'stopSvc:PlexorTestWorker' \
    'startSvc:PlexorTestWorker' 'remove:logs' 'toWork:' 'patch:notes.txt' 'toWork:'
  for n in 1 2 3 4 5; do printf '%s\r\n' "file:big\\big$n.bin" 'toWork:bin'; done
  printf '%s\r\n' 'PatchID:106' 'PatchName:Fix 106' 'PatchSetInfo:'
} >"$media4/quillet.txt"
cp "$media3/notes.txt" "$media4/notes.txt"
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$media4"; fi
timeout 180 "$PLEXOR_WINE_RUN" 'C:\killmedia\Quillet.exe' silent >/dev/null 2>&1 &
runner=$!
killed=no
# The run's own Windows process (its first argument is the program on the
# media, unlike the wrappers that start it) is found while the run stages its
# media, so that the kill lands at once when the copy begins: the copy of
# staged files takes only moments.
run_pids=""
for _ in $(seq 6000); do  # up to 60 s for the copy to begin
  if [ -z "$run_pids" ]; then
    for proc in /proc/[0-9]*; do
      first=""
      IFS= read -r -d '' first 2>/dev/null <"$proc/cmdline" || true
      case "$first" in *'killmedia\Quillet.exe'*) run_pids="$run_pids ${proc#/proc/}" ;; esac
    done
  fi
  if compgen -G "$drive/Plexor/bin/big*~qt*" >/dev/null; then
    for pid in $run_pids; do kill -9 "$pid" 2>/dev/null && killed=yes; done
    if [ "$killed" = no ]; then  # not found by its first argument: any process naming it
      for proc in /proc/[0-9]*; do
        if tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | grep 'killmedia\\Quillet.exe' >/dev/null; then
          kill -9 "${proc#/proc/}" 2>/dev/null && killed=yes
        fi
      done
    fi
    break
  fi
  sleep 0.01
done
wait "$runner" || true
[ "$killed" = yes ] || fail "the killed run: its copy was not caught under way"
sed -i 's/^VerCheckLower:3.00/VerCheckLower:9.00/' "$media4/quillet.txt"
status=0
timeout 180 "$PLEXOR_WINE_RUN" 'C:\killmedia\Quillet.exe' quiet /log 'C:\killmedia\recovery.log' || status=$?
[ "$status" = $((1638 & 255)) ] || fail "the start after the kill ended with $status, not 1638"
grep -q 'recovery: the machine is as before' "$media4/recovery.log" ||
  fail "the start after the kill put nothing back: $(grep recovery "$media4/recovery.log")"
[ "$(product_state)" = "$before" ] ||
  fail "the killed run was not put back: $(diff <(echo "$before") <(product_state) | head -20)"
wait_service PlexorTestWorker RUNNING || fail "after the kill: the worker does not run"
sed -i 's/^VerCheckLower:9.00/VerCheckLower:3.00/' "$media4/quillet.txt"
# The update run again; while it copies, a second copy of the tool under
# another program name (a second deployment agent) ends at once with 1618,
# leaving the live run's journal alone, and the first completes.
cp "$quillet" "$media4/Agent2.exe"
timeout 180 "$PLEXOR_WINE_RUN" 'C:\killmedia\Quillet.exe' silent >/dev/null 2>&1 &
runner=$!
second=none
for _ in $(seq 3000); do  # up to 30 s for the copy to begin
  if compgen -G "$drive/Plexor/bin/big*~qt*" >/dev/null; then
    second=0
    timeout 120 "$PLEXOR_WINE_RUN" 'C:\killmedia\Agent2.exe' quiet /log 'C:\killmedia\agent2.log' ||
      second=$?
    break
  fi
  sleep 0.01
done
status=0
wait "$runner" || status=$?
[ "$second" = $((1618 & 255)) ] || fail "a second copy beside the live run ended with $second, not 1618"
grep -q 'another copy is running' "$media4/agent2.log" ||
  fail "the second copy did not meet the first: $(cat "$media4/agent2.log")"
if grep -q 'recovery' "$media4/agent2.log"; then fail "the second copy touched the live run's journal"; fi
[ "$status" = 0 ] || fail "the update run again after the kill ended with $status"
for n in 1 2 3 4 5; do same "$drive/Plexor/bin/big$n.bin" "$media4/big/big$n.bin" "big$n.bin not placed"; done
[ ! -e "$drive/Plexor/logs" ] || fail "the update run again after the kill left logs"
leftovers=$(find "$drive/Plexor" -name '*~qt*')
[ -z "$leftovers" ] || fail "after the kill and the run again: left aside: $leftovers"
if wine_run reg query "$key\\UpdateJournal" >/dev/null 2>&1; then fail "the journal was left"; fi
rm -rf "$media4/big" "$drive/Plexor/bin"/big*.bin

# A late failure while a service holds the update's new DLL: "PlexorHolder"
# (the test service) loads bin\newer.dll at each start and lingers 4 s
# holding it after it stops. The update replaces it, starts the service on
# the new build, then cannot write its desktop shortcut (a folder Wine may
# not write). 1603: the product byte for byte as before, the service running
# the old build again; the same update, the folder writable again, completes.
held_log=$drive/testsvc/events.log.PlexorHolder.dll
held_builds() { tr -d '\r' <"$held_log" 2>/dev/null | paste -sd, || true; }
wait_held() {  # builds: up to 30 s for the worker's loads to read so
  for _ in $(seq 300); do
    [ "$(held_builds)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
holder='C:\testsvc\plexor_test_service.exe C:\testsvc\events.log linger=4 load=C:\Plexor\bin\newer.dll'
services="$services PlexorHolder"  # removed on exit with the others
rm -f "$held_log"
wine_run sc create PlexorHolder binPath= "$holder" >/dev/null
wine_run sc start PlexorHolder >/dev/null
wait_service PlexorHolder RUNNING || fail "held DLL: the service does not run"
# ver_1_3_0 answers 3, ver_2_0_1 answers 6.
wait_held 3 || fail "held DLL: the service holds $(held_builds), not newer.dll 1.3.0"
before=$(product_state)
media5=$drive/heldmedia
rm -rf "$media5" "$drive/lockeddesk"
mkdir -p "$media5/bin" "$drive/lockeddesk"
cp "$quillet" "$media5/Quillet.exe"
cp "$dlls/ver_2_0_1.dll" "$media5/bin/newer.dll"
printf '%s\r\n' 'VerCheckLower:3.00' 'VerCheckUpper:3.09' 'stopSvc:PlexorHolder' \
  'startSvc:PlexorHolder' 'file:bin\newer.dll' 'toWork:bin' 'desktopname:Held' >"$media5/quillet.txt"
if [ "$(id -u)" = 0 ]; then chown -R nobody:nogroup "$media5" "$drive/lockeddesk"; fi
chmod 555 "$drive/lockeddesk"
wine_run reg add "$folders" /v "Common Desktop" /d 'C:\lockeddesk' /f >/dev/null
rm -f "$held_log"
status=0
timeout 180 "$PLEXOR_WINE_RUN" 'C:\heldmedia\Quillet.exe' quiet /log 'C:\heldmedia\run.log' || status=$?
[ "$status" = $((1603 & 255)) ] || fail "held DLL: the late failure ended with $status, not 1603"
wait_service PlexorHolder RUNNING || fail "held DLL: the service does not run after the failure"
# Started on the new build by the run, then again on the old one by the put-back.
wait_held 6,3 || fail "held DLL: the service loaded $(held_builds), not 1.3.0 after 2.0.1"
# The new build, still loaded by the stopped service's lingering process when
# it is put back, may only be renamed aside: the log names it, it is the new
# build, and it is left to the restart; everything else is as before.
aside=$(tr -d '\r' <"$media5/run.log" | sed -n 's/.* renamed to \(.*\), is deleted at the next restart$/\1/p' | tail -1)
aside_name='<no file set aside>'
if [ -n "$aside" ]; then
  aside_name=${aside##*\\}
  same "$drive/Plexor/bin/$aside_name" "$dlls/ver_2_0_1.dll" "held DLL: $aside is not the new build"
  wine_run reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
    2>/dev/null | grep -aF "$aside_name" >/dev/null || fail "held DLL: $aside is not deleted at restart"
fi
held_state() { product_state | grep -avF "$aside_name" || true; }
[ "$(held_state)" = "$before" ] ||
  fail "held DLL: the late failure changed the product: $(diff <(echo "$before") <(held_state) | head -20)"
if wine_run reg query "$key\\UpdateJournal" >/dev/null 2>&1; then fail "held DLL: the journal was left"; fi
grep -aE 'put back|fail|cannot' "$media5/run.log" | tr -d '\r' | sed 's/^/held DLL run: /' || true
wine_run reg add "$folders" /v "Common Desktop" /d 'C:\users\Public\Desktop' /f >/dev/null
status=0
timeout 180 "$PLEXOR_WINE_RUN" 'C:\heldmedia\Quillet.exe' quiet /log 'C:\heldmedia\again.log' || status=$?
[ "$status" = 0 ] || fail "held DLL: the update run again ended with $status: $(tail -20 "$media5/again.log")"
same "$drive/Plexor/bin/newer.dll" "$dlls/ver_2_0_1.dll" "held DLL: newer.dll 2.0.1 not placed by the run again"
[ -e "$desktop/Held.url" ] || fail "held DLL: the run again wrote no shortcut"
wait_held 6,3,6 || fail "held DLL: after the run again the service loaded $(held_builds)"
rm -rf "$media5" "$desktop/Held.url" "$drive/Plexor/bin"/newer.dll~qt*
chmod 755 "$drive/lockeddesk" && rm -rf "$drive/lockeddesk"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "silent update: all checks passed"
