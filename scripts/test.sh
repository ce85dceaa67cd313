#!/bin/bash
# Builds both targets and runs both suites: native first, then Windows under Wine.
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
