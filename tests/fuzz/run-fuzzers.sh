#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for SECONDS each, starting from its seed
# corpus and reproducers; fails when any harness finds something. New inputs collect in
# BUILD/fuzz-corpus/<name>, findings (crash-*, leak-*, timeout-*, oom-*) in
# BUILD/fuzz-findings/<name>/: copy a finding into tests/fuzz/reproducers/<name>/ once it
# is fixed, and the normal build's ctest replays it from then on.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS [NAME...]
set -uo pipefail

build=${1:?build directory}
seconds=${2:?seconds per harness}
shift 2
here=$(cd "$(dirname "$0")" && pwd)

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for f in "$here"/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    names+=("${n#fuzz_}")
  done
fi

failed=()
printf '%-18s %10s %8s %8s %8s  %s\n' harness runs exec/s cov ft result
for name in "${names[@]}"; do
  bin="$build/fuzz/fuzz_$name"
  work="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  seeds=("$here/corpus/$name")
  [ -d "$here/reproducers/$name" ] && seeds+=("$here/reproducers/$name")
  # 2 GB of memory and 10 s per input at most: a parser that takes more is a finding.
  # Inputs stay small (64 KB) so that the time goes into variety, not size.
  # The libraries are built without frame pointers: a leak inside one is told by its
  # function (as lsan.supp names it) only when allocations are traced the slow way.
  ASAN_OPTIONS="fast_unwind_on_malloc=0" LSAN_OPTIONS="suppressions=$here/lsan.supp print_suppressions=0" \
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$work" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -Eo 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -Eo 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  result=ok
  if [ $rc -ne 0 ]; then
    result="FOUND (exit $rc), see $log and $findings"
    failed+=("$name")
  fi
  printf '%-18s %10s %8s %8s %8s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "$result"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]}"
  exit 1
fi
