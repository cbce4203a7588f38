# Shared by the FTP share scripts: sourced after setting `name` (for messages). Checks the
# program and tools, makes a memory-backed work directory $work (removed on exit), and
# `start_share DIR` starts `orbilux --ftp-serve DIR` on a free 127.0.0.1 port, setting $url.
orbilux=${ORBILUX:-./build/bin/orbilux}
[[ -x $orbilux ]] || { echo "$name: no program at $orbilux (set ORBILUX)" >&2; exit 2; }
for tool in curl python3; do
  command -v "$tool" >/dev/null || { echo "$name: $tool is needed" >&2; exit 2; }
done

# Memory-backed when possible, so the disk does not set the figure.
base=/tmp
[[ -d /dev/shm && -w /dev/shm ]] && base=/dev/shm
work=$(mktemp -d "$base/$name.XXXXXX")
server=
cleanup() {
  if [[ -n $server ]] && kill -0 "$server" 2>/dev/null; then
    kill -TERM "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_share() {
  port=$(python3 -c 'import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
  "$orbilux" --ftp-serve "$1" --port "$port" --ftp-address 127.0.0.1 >"$work/server.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do
    grep -q '^Sharing ' "$work/server.log" && break
    kill -0 "$server" 2>/dev/null || { cat "$work/server.log" >&2; exit 1; }
    sleep 0.1
  done
  grep -q '^Sharing ' "$work/server.log" || { echo "$name: server did not start" >&2; exit 1; }
  url=ftp://127.0.0.1:$port
}
