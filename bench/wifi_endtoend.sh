#!/usr/bin/env bash
# Wi-Fi end to end on 127.0.0.1: tools/wifiscope-sim streams 1280x720 at 30 frames per second
# for 60 seconds (then closes the stream), Orbilux shows it offscreen; prints the frames sent,
# shown and dropped, and Orbilux's CPU time per frame shown.
# ORBILUX names the program (default ./build/bin/orbilux); DURATION (seconds), FPS and
# RESOLUTION (the simulator's index, 2 = 1280x720) change the run.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
orbilux=${ORBILUX:-./build/bin/orbilux}
duration=${DURATION:-60}
fps=${FPS:-30}
resolution=${RESOLUTION:-2}
parts=$((duration * fps))

[[ -x $orbilux ]] || { echo "wifi_endtoend: no program at $orbilux (set ORBILUX)" >&2; exit 2; }

work=$(mktemp -d)
sim=
cleanup() {
  if [[ -n $sim ]] && kill -0 "$sim" 2>/dev/null; then
    kill -TERM "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$here/tools/wifiscope-sim" --web-port 0 --stream-port 0 --resolution "$resolution" \
  --fps "$fps" --stream-parts "$parts" >"$work/sim.log" 2>&1 &
sim=$!
ready=
for _ in $(seq 300); do
  ready=$(grep -o 'ready web=[0-9]* stream=[0-9]*' "$work/sim.log" || true)
  [[ -n $ready ]] && break
  kill -0 "$sim" 2>/dev/null || { cat "$work/sim.log" >&2; exit 1; }
  sleep 0.1
done
[[ -n $ready ]] || { echo "wifi_endtoend: the simulator did not start" >&2; exit 1; }
web=${ready#ready web=}
web=${web%% *}
stream=${ready##*stream=}
state() { curl -sf "http://127.0.0.1:$web/sim/state"; }
field() { python3 -c 'import json, sys; print(json.load(sys.stdin)[sys.argv[1]])' "$1"; }
first=$(state)
size="$(field width <<<"$first")x$(field height <<<"$first")"

run_orbilux() {
  ORBILUX_HOME=$work/home QT_QPA_PLATFORM=offscreen "$orbilux" --wifi-host 127.0.0.1 \
    --wifi-web-port "$web" --wifi-stream-port "$stream" \
    --wifi-network-name AIRLOUPE01-bench "$@" 2>"$work/orbilux.err"
}

# Start-up alone, to tell it apart from the work per frame.
baseline=$(run_orbilux --exit-after 1 | sed -n 's/^cpu seconds: //p')

echo "streaming $parts frames at $size, $fps fps, for ${duration} s"
# A few seconds beyond the stream for start-up and the last frames.
out=$(run_orbilux --connect-wifi --exit-after $((duration + 5)))
shown=$(sed -n 's/^frames shown: //p' <<<"$out")
cpu=$(sed -n 's/^cpu seconds: //p' <<<"$out")
[[ -n $shown && -n $cpu ]] || { echo "wifi_endtoend: no figures from orbilux" >&2; cat "$work/orbilux.err" >&2; exit 1; }

now=$(state)
sent=$(field parts_sent <<<"$now")
opened=$(field streams_opened <<<"$now")
echo "frames sent: $sent (streams opened: $opened)"
echo "frames shown: $shown"
echo "dropped: $((sent - shown))"
awk -v c="$cpu" -v b="$baseline" -v n="$shown" 'BEGIN {
  if (n == 0) { print "cpu per frame: no frames shown"; exit }
  printf "cpu per frame: %.2f ms (%.2f s in all; %.2f ms without the %.2f s of start-up)\n",
         c * 1000 / n, c, (c - b) * 1000 / n, b }'
[[ $sent -eq $parts && $shown -eq $sent ]]
