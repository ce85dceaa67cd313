#!/bin/bash
# Builds every target and runs every suite: native first, then Windows x86_64
# under Wine, then the static checks of the 32-bit Windows build, then both
# packages (built and checked by scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native
bash scripts/sanitize.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows
cmake --preset windows32 >/dev/null
cmake --build --preset windows32 -j "$jobs"
ctest --preset windows32
scripts/package.sh
