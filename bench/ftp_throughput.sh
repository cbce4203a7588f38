#!/usr/bin/env bash
# FTP share figures over 127.0.0.1 with `orbilux --ftp-serve`: RETR and STOR of a 1 GiB file
# with curl (MB/s, checked by SHA-256 both ways), then 100 clients at once each listing a
# directory of 1,000 files and fetching ten of them, every listing and file checked.
# ORBILUX names the program (default ./build/bin/orbilux); CLIENTS, FILES, BIG_MIB and RUNS
# (timed transfers each way, median reported) change the run.
set -euo pipefail

clients=${CLIENTS:-100}
files=${FILES:-1000}
big_mib=${BIG_MIB:-1024}
name=ftp-throughput
source "$(dirname "$0")/ftp_share_lib.sh"

share=$work/share
mkdir -p "$share/many" "$work/client"

echo "preparing ${big_mib} MiB and $files small files in $work"
head -c "$((big_mib * 1024 * 1024))" /dev/urandom >"$share/big.bin"
python3 - "$share/many" "$files" <<'EOF'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    with open(os.path.join(folder, f"f{i:04d}.bin"), "wb") as f:
        f.write(os.urandom(4096 + i))
EOF

start_share "$share"
head -n 1 "$work/server.log"

mbps() { awk -v b="$1" 'BEGIN { printf "%.0f", b / 1e6 }'; }
each_mbps() { for b in "$@"; do mbps "$b"; echo -n " "; done | sed 's/ $//'; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }
# OpenSSL's SHA-256 through Python: several times quicker than coreutils' on large files.
sha256() {
  python3 -c 'import hashlib, sys
with open(sys.argv[1], "rb") as f:
    print(hashlib.file_digest(f, "sha256").hexdigest())' "$1"
}
want=$(sha256 "$share/big.bin")
runs=${RUNS:-3}

# The length is not taken from SIZE, so the two ways compare alike. The figure is the median
# of runs into /dev/null, which leaves the client's file writing out; then one run into a file
# carries the hash check.
speeds=()
for _ in $(seq "$runs"); do
  speeds+=("$(curl -sS --ignore-content-length -o /dev/null -w '%{speed_download}' "$url/big.bin")")
done
speed=$(curl -sS --ignore-content-length -o "$work/client/down.bin" -w '%{speed_download}' \
  "$url/big.bin")
retr_ok=mismatch
[[ $(sha256 "$work/client/down.bin") == "$want" ]] && retr_ok="sha256 ok"
rm -f "$work/client/down.bin"
echo "RETR ${big_mib} MiB: $(mbps "$(median "${speeds[@]}")") MB/s (median of" \
  "$(each_mbps "${speeds[@]}") into /dev/null); $(mbps "$speed") MB/s into a file ($retr_ok)"

# Every upload lands in the served directory, so each run is a real STOR; the last is hashed.
speeds=()
for _ in $(seq "$runs"); do
  rm -f "$share/up.bin"
  speeds+=("$(curl -sS -T "$share/big.bin" -o /dev/null -w '%{speed_upload}' "$url/up.bin")")
done
stor_ok=mismatch
[[ $(sha256 "$share/up.bin") == "$want" ]] && stor_ok="sha256 ok"
rm -f "$share/up.bin"
echo "STOR ${big_mib} MiB: $(mbps "$(median "${speeds[@]}")") MB/s (median of" \
  "$(each_mbps "${speeds[@]}")) ($stor_ok)"

python3 - "$port" "$share/many" "$clients" "$files" <<'EOF'
import ftplib, hashlib, os, random, sys, threading, time

port, folder, clients, files = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
names = sorted(os.listdir(folder))
digest = {}
for name in names:
    with open(os.path.join(folder, name), "rb") as f:
        digest[name] = hashlib.sha256(f.read()).hexdigest()

failures = []
failures_lock = threading.Lock()
start = threading.Barrier(clients)

def client(number):
    try:
        start.wait(timeout=60)
        with ftplib.FTP() as ftp:
            ftp.connect("127.0.0.1", port, timeout=60)
            ftp.login("bench", "bench")
            lines = []
            ftp.retrlines("LIST many", lines.append)
            listed = sorted(line.split()[-1] for line in lines if not line.startswith("total"))
            if listed != names:
                raise RuntimeError(f"listing has {len(listed)} entries, not {len(names)}")
            for name in random.Random(number).sample(names, 10):
                parts = []
                ftp.retrbinary(f"RETR many/{name}", parts.append)
                if hashlib.sha256(b"".join(parts)).hexdigest() != digest[name]:
                    raise RuntimeError(f"{name} arrived changed")
    except Exception as error:  # every kind of failure is a result here
        with failures_lock:
            failures.append(f"client {number}: {type(error).__name__}: {error}")

began = time.monotonic()
threads = [threading.Thread(target=client, args=(n,)) for n in range(clients)]
for t in threads:
    t.start()
for t in threads:
    t.join()
took = time.monotonic() - began
if len(names) != files:
    failures.append(f"the directory holds {len(names)} files, not {files}")
head = f"{clients} clients x (LIST of {len(names)} + 10 RETR) in {took:.2f} s:"
if failures:
    print(head, f"{len(failures)} failed")
    for line in failures[:20]:
        print("  " + line)
    sys.exit(1)
print(head, "all correct, none refused")
EOF
[[ $retr_ok == "sha256 ok" && $stor_ok == "sha256 ok" ]]
