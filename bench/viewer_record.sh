#!/usr/bin/env bash
# Wi-Fi recording end to end on 127.0.0.1: tools/wifiscope-sim streams 640x480 at 30 frames per
# second for 60 seconds (then closes the stream); Orbilux shows it offscreen and records it
# from the first picture. Prints the frames sent, shown, kept in the recording and dropped by a
# busy encoder, the file's duration and frame count as ffprobe reads them, the CPU time per
# frame shown with and without recording, and the main thread's longest hand-over of a picture
# (to the view and the recorder) with and without recording: the encoder must not delay it.
# ORBILUX names the program (default ./build/bin/orbilux); DURATION (seconds) and FPS change the
# run.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
orbilux=${ORBILUX:-./build/bin/orbilux}
duration=${DURATION:-60}
fps=${FPS:-30}
parts=$((duration * fps))

[[ -x $orbilux ]] || { echo "viewer_record: no program at $orbilux (set ORBILUX)" >&2; exit 2; }
command -v ffprobe >/dev/null || { echo "viewer_record: ffprobe is missing" >&2; exit 2; }

work=$(mktemp -d)
source "$here/bench/wifiscope_sim.sh"
trap 'stop_sim; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# One run of Orbilux over a whole stream; its figures go to $work/$1.out.
run_orbilux() {
  local name=$1
  shift
  start_sim --resolution 0 --fps "$fps" --stream-parts "$parts"
  ORBILUX_HOME=$work/$name QT_QPA_PLATFORM=offscreen "$orbilux" --wifi-host 127.0.0.1 \
    --wifi-web-port "$web" --wifi-stream-port "$stream" --wifi-network-name AIRLOUPE01-bench \
    --connect-wifi --exit-after $((duration + 5)) "$@" >"$work/$name.out" 2>"$work/$name.err"
  echo "sent: $(state | field parts_sent)" >>"$work/$name.out"
  stop_sim
}
figure() { sed -n "s/^$2: //p" "$work/$1.out"; }

echo "streaming $parts frames at 640x480, $fps fps, for ${duration} s, twice (recording, then not)"
run_orbilux record --record
run_orbilux plain

video=$(figure record recording)
[[ -f $video ]] || { echo "viewer_record: no recording" >&2; cat "$work/record.err" >&2; exit 1; }
probe=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries \
  stream=codec_name,width,height,pix_fmt,time_base,nb_read_frames:format=duration \
  -of default=noprint_wrappers=1 "$video")
get() { sed -n "s/^$1=//p" <<<"$probe"; }

echo "frames sent: $(figure record sent)"
echo "frames shown: $(figure record 'frames shown') (without recording: $(figure plain 'frames shown'))"
echo "frames kept in the recording: $(figure record 'recorded frames kept')"
echo "frames dropped by a busy encoder: $(figure record 'recorded frames dropped')"
echo "file: $(get codec_name) $(get width)x$(get height) $(get pix_fmt), time base $(get time_base)," \
     "$(get nb_read_frames) frames, duration $(get duration) s"
awk -v r="$(figure record 'cpu seconds')" -v p="$(figure plain 'cpu seconds')" \
    -v nr="$(figure record 'frames shown')" -v np="$(figure plain 'frames shown')" 'BEGIN {
  printf "cpu per frame shown: %.2f ms recording, %.2f ms without\n", r * 1000 / nr, p * 1000 / np }'
echo "hand-over of a picture, recording: $(figure record 'hand-over ms') ms"
echo "hand-over of a picture, without:   $(figure plain 'hand-over ms') ms"
