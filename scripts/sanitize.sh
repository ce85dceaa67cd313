#!/bin/bash
# The native build with clang under AddressSanitizer and UndefinedBehavior-
# Sanitizer (preset "sanitize"): builds everything, runs the native suites
# and every fuzz target for a bounded time (PLEXOR_FUZZ_SECONDS, 30 s each)
# on a scratch copy of its corpus. Any finding fails. Then the concurrent
# jobs through the raster module under ThreadSanitizer (preset "tsan": only
# that suite is built and only that case runs).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan
