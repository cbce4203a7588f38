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
source "$here/bench/wifiscope_sim.sh"
trap 'stop_sim; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

start_sim --resolution "$resolution" --fps "$fps" --stream-parts "$parts"
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
