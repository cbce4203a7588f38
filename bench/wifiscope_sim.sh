# Sourced by the Wi-Fi scripts: starts tools/wifiscope-sim on free ports of 127.0.0.1 and stops
# it. Needs $here (the tree) and $work (a scratch directory); sets $sim, $web and $stream.

sim=
# start_sim OPTIONS...: the simulator with these options, once it answers.
start_sim() {
  "$here/tools/wifiscope-sim" --web-port 0 --stream-port 0 "$@" >"$work/sim.log" 2>&1 &
  sim=$!
  local ready=
  for _ in $(seq 300); do
    ready=$(grep -o 'ready web=[0-9]* stream=[0-9]*' "$work/sim.log" || true)
    [[ -n $ready ]] && break
    kill -0 "$sim" 2>/dev/null || { cat "$work/sim.log" >&2; exit 1; }
    sleep 0.1
  done
  [[ -n $ready ]] || { echo "$(basename "$0"): the simulator did not start" >&2; exit 1; }
  web=${ready#ready web=}
  web=${web%% *}
  stream=${ready##*stream=}
}

stop_sim() {
  if [[ -n $sim ]] && kill -0 "$sim" 2>/dev/null; then
    kill -TERM "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
  fi
  sim=
}

# The simulator's state as JSON, and one field of it read from standard input.
state() { curl -sf "http://127.0.0.1:$web/sim/state"; }
field() { python3 -c 'import json, sys; print(json.load(sys.stdin)[sys.argv[1]])' "$1"; }
