#!/usr/bin/env bash
# Small-transfer latency of `orbilux --ftp-serve` over 127.0.0.1 with real clients: 50 RETRs
# of 100 KB one after another on one control connection (curl), and a LIST of a directory of
# 1,000 names (curl and Python ftplib). Prints the time per transfer; every file is checked
# by SHA-256. ORBILUX names the program (default ./build/bin/orbilux).
set -euo pipefail

name=ftp-small
source "$(dirname "$0")/ftp_share_lib.sh"

share=$work/share
mkdir -p "$share/small" "$share/many" "$work/client"
python3 - "$share" <<'PY'
import os, sys
root = sys.argv[1]
for i in range(50):
    with open(os.path.join(root, "small", f"s{i:02d}.bin"), "wb") as f:
        f.write(os.urandom(100 * 1024))
for i in range(1000):
    open(os.path.join(root, "many", f"name{i:04d}.txt"), "wb").close()
PY

start_share "$share"

# One curl for all 50 URLs keeps one control connection, so each figure is one RETR.
urls=()
for i in $(seq -f '%02g' 0 49); do
  urls+=("$url/small/s$i.bin" -o "$work/client/s$i.bin")
done
curl -sS -w '%{time_total}\n' "${urls[@]}" >"$work/retr.times"
(cd "$share/small" && sha256sum s*.bin) >"$work/want.sum"
(cd "$work/client" && sha256sum -c --quiet "$work/want.sum") || { echo "ftp_small_files: RETR corrupted" >&2; exit 1; }
python3 - "$work/retr.times" <<'PY'
import statistics, sys
t = [float(x) * 1000 for x in open(sys.argv[1])]
# The first includes the login.
rest = t[1:]
# curl 7.88 waits a second before the data connection when the EPSV reply is already there
# at its first look (a client-side state-machine wait); those transfers are counted apart.
stalled = [x for x in rest if x > 900]
quick = [x for x in rest if x <= 900]
print(f"RETR 100 KB x {len(t)} (curl, one control connection): median {statistics.median(quick):.2f} ms, "
      f"max {max(quick):.2f} ms; {len(stalled)} held ~1 s by curl's own EPSV wait")
PY

list_ms=()
for _ in 1 2 3 4 5; do
  curl -sS -w '%{time_total}\n' -o "$work/list.txt" "$url/many/" >>"$work/list.times"
  [[ $(wc -l <"$work/list.txt") -eq 1001 ]] || { echo "ftp_small_files: LIST incomplete" >&2; exit 1; }
done
python3 - "$work/list.times" "$port" <<'PY'
import ftplib, statistics, sys, time
t = [float(x) * 1000 for x in open(sys.argv[1])]
print(f"LIST 1,000 names (curl, with login): median {statistics.median(t):.2f} ms")
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", int(sys.argv[2]), timeout=10)
ftp.login("anonymous", "x")
runs = []
for _ in range(20):
    lines = []
    start = time.perf_counter()
    ftp.retrlines("LIST many", lines.append)
    runs.append((time.perf_counter() - start) * 1000)
    assert len(lines) == 1001, len(lines)
retr = []
for i in range(50):
    chunks = []
    start = time.perf_counter()
    ftp.retrbinary(f"RETR small/s{i:02d}.bin", chunks.append)
    retr.append((time.perf_counter() - start) * 1000)
    assert sum(map(len, chunks)) == 100 * 1024
ftp.quit()
print(f"RETR 100 KB x 50 (ftplib, one session): median {statistics.median(retr):.2f} ms, "
      f"max {max(retr):.2f} ms")
print(f"LIST 1,000 names (ftplib, one session): median {statistics.median(runs):.2f} ms, "
      f"max {max(runs):.2f} ms")
PY
