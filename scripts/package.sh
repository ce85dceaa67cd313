#!/bin/bash
# Builds the Windows deliverables of both architectures and their packages,
# then checks each package's contents and files:
#   build/windows32/package/Plexor-<version>-win32.zip
#   build/windows/package/Plexor-<version>-win64.zip
# With PLEXOR_SIGN_PFX (a PKCS#12 file) and PLEXOR_SIGN_PASSWORD in the
# environment, and optionally PLEXOR_SIGN_TIMESTAMP (an RFC 3161 time-stamp
# URL), every .exe and .dll in both packages is signed (cmake/SignPackage.cmake);
# a signing that fails ends this script with no package.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
targets=(Quillet quillet-check Vexmoor tessaro vindal ombrix riphost rtlview)
for preset in windows32 windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target "${targets[@]}"
  (cd "build/$preset" && cpack >/dev/null)
  python3 scripts/check_package.py "build/$preset"
done
