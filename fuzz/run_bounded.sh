#!/bin/bash
# Runs one fuzz target for a bounded time on a scratch copy of its seed
# corpus (the repository's corpus is never written) and fails on a finding;
# the finding's input is left in WORK/crashes.
#   run_bounded.sh FUZZER CORPUS DICT SECONDS WORK      (DICT may be "")
set -euo pipefail
fuzzer=$1 corpus=$2 dict=$3 seconds=$4 work=$5
rm -rf "$work"
mkdir -p "$work/corpus" "$work/crashes"
if [ -d "$corpus" ]; then cp -R "$corpus"/. "$work/corpus/"; fi
args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
      -artifact_prefix="$work/crashes/")
if [ -n "$dict" ]; then args+=(-dict="$dict"); fi
cd "$work"  # files a target writes into its current folder stay here
exec nice -n 15 "$fuzzer" "${args[@]}" "$work/corpus"
