#!/bin/bash
# Runs every fuzz target (or those named) for SECONDS each, one after the
# other, at low priority:
#   scripts/fuzz.sh [SECONDS] [TARGET...]        (default 600 s)
# Each target starts from its seed corpus fuzz/corpus/<target> and saves what
# it finds under build/sanitize/fuzz-work/<target>/: new corpus entries in
# corpus/, crashing inputs in crashes/, the log in fuzz.log. The seeds are not
# changed; to keep new entries, merge them in:
#   build/sanitize/fuzz/<target> -merge=1 fuzz/corpus/<target> build/sanitize/fuzz-work/<target>/corpus
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true
cmake --preset sanitize >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^plexor_fuzz_target(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build --preset sanitize -j "$(nproc)" --target "${targets[@]}"
status=0
for t in "${targets[@]}"; do
  work=$root/build/sanitize/fuzz-work/$t
  mkdir -p "$work/corpus" "$work/crashes"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/crashes/")
  [ -f "fuzz/dict/$t.dict" ] && args+=(-dict="$root/fuzz/dict/$t.dict")
  echo "== $t: $seconds s"
  if (cd "$work" && nice -n 15 "$root/build/sanitize/fuzz/$t" "${args[@]}" "$work/corpus" \
        "$root/fuzz/corpus/$t" >"$work/fuzz.log" 2>&1); then
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/fuzz.log" | tail -2 || true
  else
    status=1
    echo "$t: FINDING, see $work/fuzz.log and $work/crashes/"
    tail -40 "$work/fuzz.log"
  fi
done
exit $status
