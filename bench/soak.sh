#!/usr/bin/env bash
# The soak run: both programs working for MINUTES (default 30) on 127.0.0.1, offscreen.
#  - ScopeDesk with the demo camera at 1280 x 1024, its button taking a still every 10 s;
#  - Orbilux against tools/wifiscope-sim at 1280 x 720, sharing its workspace over FTP to a
#    client that lists and fetches in a loop, checking every byte.
# Resident memory of both is sampled every 10 s into $SOAK_DIR/memory.csv. Passes when each
# program grows less than 5 MB an hour after the first minute (fitted over the samples), no
# gap between Wi-Fi pictures exceeds 1 s, every still is a whole 1280 x 1024 JPEG taken on its
# 10 s beat, and every FTP transfer arrived whole.
# SCOPEDESK and ORBILUX name the programs (default ./build/bin/...); SOAK_DIR keeps the
# figures and logs (default: a temporary directory, removed unless the run fails).
set -euo pipefail

minutes=${1:-30}
[[ $minutes =~ ^[0-9]+$ && $minutes -ge 2 ]] || { echo "usage: soak.sh MINUTES (2 or more)" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
scopedesk=${SCOPEDESK:-./build/bin/scopedesk}
orbilux=${ORBILUX:-./build/bin/orbilux}
for program in "$scopedesk" "$orbilux"; do
  [[ -x $program ]] || { echo "soak: no program at $program" >&2; exit 2; }
done

keep=${SOAK_DIR:+yes}
work=${SOAK_DIR:-$(mktemp -d)}
mkdir -p "$work"
station_pid=
viewer_pid=
client_pid=
source "$here/bench/wifiscope_sim.sh"
stop() {
  for pid in $client_pid $station_pid $viewer_pid; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in $client_pid $station_pid $viewer_pid; do
    wait "$pid" 2>/dev/null || true
  done
  stop_sim
}
finish() {
  stop
  if [[ ${passed:-no} != yes ]]; then
    echo "soak: figures and logs kept in $work" >&2
  elif [[ -z $keep ]]; then
    rm -rf "$work"
  fi
}
trap finish EXIT
trap 'exit 130' INT TERM

seconds=$((minutes * 60))
# Orbilux outlives the last sample by this much, so the FTP client is stopped before it.
viewer_extra=10
export QT_QPA_PLATFORM=offscreen

# The station.
SCOPEDESK_HOME=$work/station "$scopedesk" --demo-camera --demo-camera-sizes 1280x1024 \
  --demo-button-every 10 >"$work/scopedesk.log" 2>&1 &
station_pid=$!

# The viewer, with files of known content in its workspace for the FTP client.
start_sim --resolution 2 --fps 30
port=$(python3 -c 'import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
mkdir -p "$work/viewer/Quelmar/soak"
for size in 1000 250000 3000000; do
  head -c "$size" /dev/urandom >"$work/viewer/Quelmar/soak/file-$size.bin"
done
ORBILUX_HOME=$work/viewer "$orbilux" --wifi-host 127.0.0.1 --wifi-web-port "$web" \
  --wifi-stream-port "$stream" --wifi-network-name AIRLOUPE01-soak --connect-wifi \
  --ftp-address 127.0.0.1 --share-port "$port" --exit-after "$((seconds + viewer_extra))" \
  >"$work/orbilux.log" 2>&1 &
viewer_pid=$!

# The FTP client: list, then fetch every file and compare it, again and again.
python3 - "$port" "$work/viewer/Quelmar/soak" "$work/ftp.txt" <<'PY' &
import ftplib, hashlib, os, sys, time
port, source, report = int(sys.argv[1]), sys.argv[2], sys.argv[3]
expected = {n: hashlib.sha256(open(os.path.join(source, n), 'rb').read()).hexdigest()
            for n in os.listdir(source)}
ok = bad = errors = 0
def write():
    with open(report + '.new', 'w') as f:
        f.write(f'{ok} {bad} {errors}\n')
    os.replace(report + '.new', report)
for _ in range(100):  # the share comes up with the window
    try:
        probe = ftplib.FTP()
        probe.connect('127.0.0.1', port, timeout=2)
        probe.close()
        break
    except OSError:
        time.sleep(0.2)
while True:
    try:
        with ftplib.FTP() as ftp:
            ftp.connect('127.0.0.1', port, timeout=10)
            ftp.login()
            ftp.cwd('/soak')
            listing = []
            ftp.retrlines('LIST', listing.append)
            names = [line.split()[-1] for line in listing if not line.startswith('total')]
            if sorted(names) != sorted(expected):
                bad += 1
            for name in expected:
                digest = hashlib.sha256()
                ftp.retrbinary('RETR ' + name, digest.update)
                if digest.hexdigest() == expected[name]:
                    ok += 1
                else:
                    bad += 1
    except (OSError, ftplib.Error, EOFError) as e:
        errors += 1
        print('ftp:', e, file=sys.stderr, flush=True)
        time.sleep(0.5)
    write()
PY
client_pid=$!

# Memory every 10 s.
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
echo "seconds,scopedesk_kb,orbilux_kb" >"$work/memory.csv"
start=$(date +%s)
while :; do
  now=$(($(date +%s) - start))
  echo "$now,$(rss $station_pid),$(rss $viewer_pid)" >>"$work/memory.csv"
  ((now >= seconds)) && break
  kill -0 "$station_pid" 2>/dev/null || { echo "soak: ScopeDesk ended early" >&2; break; }
  kill -0 "$viewer_pid" 2>/dev/null || { echo "soak: Orbilux ended early" >&2; break; }
  sleep 10
done

# The client stops first, while the share still serves it; then Orbilux quits by itself
# (--exit-after, a few seconds after the last sample) and prints its figures.
kill -TERM "$client_pid" 2>/dev/null || true
wait "$client_pid" 2>/dev/null || true
client_pid=
wait "$viewer_pid" 2>/dev/null || true
viewer_pid=
stop

python3 - "$work" "$minutes" <<'PY'
import csv, glob, os, re, subprocess, sys
work, minutes = sys.argv[1], int(sys.argv[2])
failures = []
rows = [r for r in csv.DictReader(open(os.path.join(work, 'memory.csv')))]
def growth(column):
    points = [(int(r['seconds']), int(r[column])) for r in rows if int(r['seconds']) >= 60 and int(r[column]) > 0]
    if len(points) < 3:
        return None, None
    n = len(points)
    mx = sum(p[0] for p in points) / n
    my = sum(p[1] for p in points) / n
    slope = sum((x - mx) * (y - my) for x, y in points) / sum((x - mx) ** 2 for x, _ in points)
    return slope * 3600 / 1024, max(p[1] for p in points) / 1024  # MB per hour, peak MB
for column, name in (('scopedesk_kb', 'ScopeDesk'), ('orbilux_kb', 'Orbilux')):
    rate, peak = growth(column)
    if rate is None:
        failures.append(f'{name}: too few memory samples')
        continue
    print(f'{name}: resident memory peak {peak:.1f} MB, growth {rate:+.2f} MB/h after the first minute')
    if rate >= 5:
        failures.append(f'{name} grows {rate:.2f} MB/h')

log = open(os.path.join(work, 'orbilux.log')).read()
shown = re.search(r'frames shown: (\d+)', log)
gap = re.search(r'longest gap between pictures ms: ([\d.]+)', log)
if not shown or not gap:
    failures.append('Orbilux printed no figures')
else:
    print(f'Orbilux: {shown.group(1)} pictures shown, longest gap {float(gap.group(1)):.0f} ms')
    if float(gap.group(1)) > 1000:
        failures.append(f'Orbilux stalled {gap.group(1)} ms')

# A still goes into the folder's Picture/tmp/, its thumbnail into Picture/.
stills = sorted(glob.glob(os.path.join(work, 'station', '*', '*', 'Picture', 'tmp', 'Still_*.jpg')))
whole = 0
for still in stills:
    out = subprocess.run(['identify', '-format', '%wx%h', still], capture_output=True, text=True)
    whole += out.returncode == 0 and out.stdout.strip() == '1280x1024'
expected = minutes * 6
print(f'ScopeDesk: {len(stills)} stills, {whole} whole 1280x1024 JPEGs, about {expected} expected')
if whole != len(stills) or len(stills) < expected - 2:
    failures.append('ScopeDesk stills missing or damaged')

ok, bad, errors = map(int, open(os.path.join(work, 'ftp.txt')).read().split())
print(f'FTP: {ok} transfers whole, {bad} wrong, {errors} sessions failed')
if bad or errors or ok == 0:
    failures.append('FTP transfers failed')
for f in failures:
    print('FAIL:', f)
sys.exit(1 if failures else 0)
PY
passed=yes
echo "soak: passed ($minutes min); figures in $work/memory.csv"
