#!/bin/bash
# Every dialog and message box where the dialogs' Japanese font names are not
# mapped to installed fonts: Wine then draws the texts in fallback fonts whose
# glyphs are wider than the dialog units allow for, as another font, Windows
# language or display scale would. Every text still fits.
set -uo pipefail
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for name in 'ＭＳ Ｐゴシック' 'ＭＳ ゴシック'; do
  $PLEXOR_WINE_RUN reg delete "$key" /v "$name" /f >/dev/null 2>&1
  ! $PLEXOR_WINE_RUN reg query "$key" /v "$name" >/dev/null 2>&1 || { echo "$name still mapped"; exit 1; }
done
exec $PLEXOR_WINE_RUN "$PLEXOR_BINARY_DIR/tests/update/run_wine/quillet_ui_adapter_test.exe" \
  --gtest_filter='UiAdapter.EveryDialog*:UiAdapter.ATextSet*'
