#!/bin/sh
# run-fuzzer.sh <fuzzer> <seed-corpus-dir> <work-dir> <seconds>
# Runs a fuzzer for a fixed time over a copy of its seed corpus and prints its execution count.
set -eu
fuzzer=$1 seeds=$2 work=$3 seconds=$4
rm -rf "$work"; mkdir -p "$work/corpus" "$work/artifacts"
[ -d "$seeds" ] && cp -r "$seeds"/. "$work/corpus/" 2>/dev/null || true
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  "$work/corpus" > "$work/log.txt" 2>&1 || { tail -n 60 "$work/log.txt"; exit 1; }
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work/log.txt" || true
echo "fuzzed ${seconds}s: $(grep -c . "$work/log.txt") log lines, no crash"
