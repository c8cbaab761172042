#!/usr/bin/env bash
# Runs every fuzz target of a WENDAL_FUZZ build for SECONDS each, then prints one line per
# target: executions, executions a second, coverage (libFuzzer's cov: and ft:) and findings.
# Exit status 1 when any target found a crash, leak, timeout, out-of-memory or broken invariant.
# usage: fuzz/run_fuzz.sh BUILD_DIR [SECONDS]
set -uo pipefail
build=${1:?usage: run_fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-120}
source_dir=$(cd "$(dirname "$0")" && pwd)
out="$build/fuzz"
targets=$(cd "$out" 2>/dev/null && for f in fuzz-*; do [ -f "$f" ] && [ -x "$f" ] && echo "${f#fuzz-}"; done)
if [ -z "$targets" ]; then
  echo "run_fuzz: no fuzz targets in $out (configure with -DWENDAL_FUZZ=ON and build)" >&2
  exit 2
fi

table=$(printf '%-12s %12s %10s %8s %8s %9s\n' target executions "execs/s" cov ft findings)
failed=0
for t in $targets; do
  corpus="$out/corpus/$t"      # what the fuzzer finds is kept for the next run
  findings="$out/findings/$t/" # crash-*, leak-*, timeout-*, oom-* inputs
  log="$out/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$out/logs" "$out/seeds/$t"
  options=()
  [ -f "$source_dir/dict/$t.dict" ] && options=(-dict="$source_dir/dict/$t.dict")
  # Snapshots and tapes get room for whole files (a 128K .z80 of pages that do not compress
  # included), loops, tables and compressed recordings; the rest libFuzzer's default (as long
  # as the longest seed: the 128K .sna).
  case "$t" in z80) options+=(-max_len=163840) ;; tzx | csw | pzx) options+=(-max_len=65536) ;; esac
  echo "fuzz: $t for ${seconds} s" >&2
  touch "$log.start" # findings are counted from here: earlier ones stay in the folder
  "$out/fuzz-$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings" "${options[@]}" \
    "$corpus" "$out/seeds/$t" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(find "$findings" -maxdepth 1 -type f -newer "$log.start" \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    [ "$found" -eq 0 ] && found="exit $status"
    echo "fuzz: $t found a fault; its log is $log" >&2
    grep -m5 -E 'ERROR|invariant broken|Test unit written' "$log" >&2
  fi
  table+=$'\n'$(printf '%-12s %12s %10s %8s %8s %9s' "$t" "${runs:--}" "${speed:--}" \
    "${cov:--}" "${ft:--}" "$found")
done
echo "$table"
exit $failed
