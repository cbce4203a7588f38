#!/usr/bin/env bash
# Start-up figure: process start to main window shown, no camera, offscreen platform.
# Prints the median of several runs in milliseconds.
set -euo pipefail
bin=${1:-build/bin/scopedesk}
runs=${RUNS:-7}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  SCOPEDESK_HOME=$home QT_QPA_PLATFORM=offscreen "$bin" --exit-when-shown >/dev/null 2>&1
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "scopedesk start to window shown: median ${sorted[$((runs / 2))]} ms over $runs runs (${times[*]})"
