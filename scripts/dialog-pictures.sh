#!/bin/bash
# Renders each of Quillet's dialogs under Wine, as an operator sees them with
# the Japanese fonts, to docs/dialogs/NAME.png (the pictures of the README,
# docs/update-run.md and the operator's guide):
#
#   scripts/dialog-pictures.sh [BUILD_DIR]     (default build/windows)
#
# Builds the helper that shows the dialogs in turn, runs it in a Wine virtual
# desktop (which draws the windows' frames and captions) on a display of its
# own, and cuts each dialog out of a picture of the screen once it is drawn.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
out=$root/docs/dialogs
names=(start progress restart completion version-refused administrator-refused copy-failed)
harness=$root/tests/wine
cmake --build "$build" --target dialog-pictures >/dev/null

export PLEXOR_WINE_ROOT=$build/wine-pictures PLEXOR_WINE_PREFIX=pictures
mkdir -p "$PLEXOR_WINE_ROOT"
bash "$harness/wine-setup.sh" "$PLEXOR_WINE_ROOT" >/dev/null
trap 'bash "$harness/wine-teardown.sh" "$PLEXOR_WINE_ROOT" >/dev/null' EXIT
. "$harness/wine-env.sh"
work=$("$harness/wine-run.sh" --prefix-dir)/drive_c/pictures
rm -rf "$work" && mkdir -p "$work" "$out"
# Named as the program the operator starts: message boxes bear its name.
cp "$build/tools/dialog-pictures/dialog-pictures.exe" "$work/Quillet.exe"
# A start picture as an update media would bring one.
convert -size 600x320 gradient:'#17407a-#8fb8e0' -fill white \
  -font /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf -pointsize 44 -gravity north \
  -annotate +0+70 'Plexor' -pointsize 22 -annotate +0+140 'アップデート 3.05' BMP3:"$work/title.bmp"
own_for_wine_user "$work" "$work"/*

"$harness/wine-run.sh" explorer /desktop=pictures,800x600 \
  'C:\pictures\Quillet.exe' 'C:\pictures' &
shown=$!

# The screen's picture of the rectangle, once two pictures in a row agree
# (the dialog has finished drawing); at most about ten seconds.
take() {  # take NAME LEFT TOP RIGHT BOTTOM
  local crop="$(($4 - $2))x$(($5 - $3))+$2+$3" last="" now
  for _ in $(seq 50); do
    import -display "$DISPLAY" -window root -crop "$crop" +repage "$work/$1.png"
    now=$(identify -format '%#' "$work/$1.png")
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.2
  done
  convert "$work/$1.png" -strip "$out/$1.png"
}

for name in "${names[@]}"; do
  for _ in $(seq 600); do
    [ -s "$work/$name.rect" ] && break
    kill -0 $shown 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$work/$name.rect" ] || { echo "the $name dialog did not appear" >&2; exit 1; }
  read -r left top right bottom < <(tr -d '\r' <"$work/$name.rect")
  take "$name" "$left" "$top" "$right" "$bottom"
  touch "$work/$name.taken"
  own_for_wine_user "$work/$name.taken"
  echo "docs/dialogs/$name.png"
done
wait $shown
