#!/usr/bin/env bash
# Recording end to end: the demo camera at 1280 x 1024 through the station's frame path into
# an AVI, once with Motion JPEG and once uncompressed (past 1 GB: OpenDML), 60 seconds each.
# Prints frames captured, handed over, written and dropped, the file size, the CPU used, and
# what ffprobe reads in the file. Fails when Motion JPEG drops a frame or a file does not hold
# what was written. SECONDS_EACH, WIDTH, HEIGHT, FPS and CODECS change the run.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=${RECORD_ENDTOEND:-$here/build/bin/record_endtoend}
seconds=${SECONDS_EACH:-60}
width=${WIDTH:-1280}
height=${HEIGHT:-1024}
codecs=${CODECS:-mjpeg raw}
[[ -x $program ]] || { echo "record_endtoend: no program at $program" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for codec in $codecs; do
  file=$work/$codec.avi
  args=(--codec "$codec" --seconds "$seconds" --width "$width" --height "$height" --output "$file")
  [[ -n ${FPS:-} ]] && args+=(--fps "$FPS")
  echo "== $codec, ${width}x${height}, ${seconds} s"
  out=$(QT_QPA_PLATFORM=offscreen "$program" "${args[@]}")
  echo "$out"
  written=$(sed -n 's/.* written=\([0-9]*\).*/\1/p' <<<"$out")
  dropped=$(sed -n 's/.* dropped=\([0-9]*\).*/\1/p' <<<"$out")
  last=$(sed -n 's/^last_position=\([0-9]*\).*/\1/p' <<<"$out")
  probe=$(ffprobe -v error -count_packets -select_streams v:0 \
    -show_entries stream=codec_name,width,height,nb_frames,nb_read_packets,duration \
    -of default=noprint_wrappers=1 "$file" | tr '\n' ' ')
  echo "ffprobe: $probe"
  read_packets=$(sed -n 's/.*nb_read_packets=\([0-9]*\).*/\1/p' <<<"$probe")
  frames=$(sed -n 's/.*nb_frames=\([0-9]*\).*/\1/p' <<<"$probe")
  if [[ $read_packets != "$written" || $frames != $((last + 1)) ]]; then
    echo "record_endtoend: $codec file holds $read_packets of $written frames, $frames positions of $((last + 1))" >&2
    status=1
  fi
  if [[ $codec == mjpeg && $dropped != 0 ]]; then
    echo "record_endtoend: Motion JPEG dropped $dropped frames" >&2
    status=1
  fi
  rm -f "$file"
done
exit $status
