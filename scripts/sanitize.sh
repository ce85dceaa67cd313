#!/bin/bash
# The native build with clang under AddressSanitizer and UndefinedBehavior-
# Sanitizer (preset "sanitize"): builds everything, runs the native suites
# and every fuzz target for a bounded time (PLEXOR_FUZZ_SECONDS, 30 s each)
# on a scratch copy of its corpus. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize
