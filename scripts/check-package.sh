#!/usr/bin/env bash
# Builds the Debian package (`make package`) and checks it as a lab would meet it: its
# metadata and file list with dpkg-deb, its dependencies against this machine with apt, then
# it is installed into a scratch root, the installed desktop entries and metainfo are
# validated, both installed programs are started, and the package is removed again.
# Not part of CI (it packages the whole build); run it after touching install rules.
set -euo pipefail
cd "$(dirname "$0")/.."

# Tools only this check needs (the build and the tests get theirs from install-deps.sh):
# dpkg-dev for dpkg-shlibdeps, fakeroot and file for CPack, man-db for the page check.
tools=(dpkg-dev fakeroot file desktop-file-utils appstream man-db python3 curl)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

version=$(sed -n 's/^project(quelmar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
deb=build/packages/quelmar_${version}_${arch}.deb
rm -f "$deb"
echo "== make package"
make --no-print-directory package >build/check-package-build.log 2>&1 ||
  { tail -30 build/check-package-build.log; echo "make package failed"; exit 1; }
[ -f "$deb" ] || { echo "no package at $deb"; exit 1; }
deb=$(realpath "$deb")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
log=$work/log
passed=0
failed=0

# check WHAT COMMAND...: runs the command, counts it, shows its output when it fails.
check() {
  local what=$1
  shift
  if "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "  ok    $what"
  else
    failed=$((failed + 1))
    echo "  FAIL  $what"
    sed 's/^/        /' "$log" | head -40
  fi
}

field() { dpkg-deb -f "$deb" "$1"; }
equals() { [ "$1" = "$2" ] || { echo "got \"$1\", expected \"$2\""; return 1; }; }
contains() { grep -qF -- "$2" <<<"$1" || { echo "\"$2\" not in: $1"; return 1; }; }
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@"; }

echo "== metadata of $(basename "$deb")"
check "Package is quelmar" equals "$(field Package)" quelmar
check "Version is $version" equals "$(field Version)" "$version"
check "Architecture is $arch" equals "$(field Architecture)" "$arch"
check "Maintainer is set" test -n "$(field Maintainer)"
check "Section is science" equals "$(field Section)" science
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6multimedia6 \
  libqt6svg6 libcurl4 libjpeg62-turbo libudev1 libavformat libavcodec libswscale; do
  check "Depends (from shlibdeps) names $lib" contains "$depends" "$lib"
done
long_lines() { field Description | awk 'length > 80 { print; bad = 1 } END { exit bad }'; }
check "Description lines fit in 80 columns" long_lines

echo "== contents"
dpkg-deb -c "$deb" >"$work/contents"
expected_files() {
  printf '%s\n' ./usr/bin/scopedesk ./usr/bin/orbilux \
    ./usr/share/applications/com.quelmar.ScopeDesk.desktop \
    ./usr/share/applications/com.quelmar.Orbilux.desktop \
    ./usr/share/metainfo/com.quelmar.ScopeDesk.metainfo.xml \
    ./usr/share/metainfo/com.quelmar.Orbilux.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/scopedesk.svg \
    ./usr/share/icons/hicolor/scalable/apps/orbilux.svg \
    ./usr/share/man/man1/scopedesk.1.gz ./usr/share/man/man1/orbilux.1.gz
  for f in resources/lang/*.ini; do echo "./usr/share/quelmar/lang/$(basename "$f")"; done
  for f in resources/udev/*.rules; do [ -e "$f" ] && echo "./usr/lib/udev/rules.d/$(basename "$f")"; done
  return 0
}
packaged_files() { awk '$1 !~ /^d/ { print $6 }' "$work/contents"; }
check "files are exactly the expected ones" \
  diff <(expected_files | sort) <(packaged_files | sort)
owned_by_root() { awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents"; }
check "every entry belongs to root/root" owned_by_root
under_usr() { awk '$6 != "./" && $6 !~ /^\.\/usr\// { print; bad = 1 } END { exit bad }' "$work/contents"; }
check "every entry lies under /usr" under_usr

mkdir -p "$work/control"
dpkg-deb -e "$deb" "$work/control"
if compgen -G "resources/udev/*.rules" >/dev/null; then
  check "udev rules come with postinst and postrm" test -x "$work/control/postinst" -a -x "$work/control/postrm"
  check "maintainer scripts parse" sh -n "$work/control/postinst" "$work/control/postrm"
else
  check "no maintainer scripts without udev rules" \
    bash -c "! ls '$work/control' | grep -E '^(pre|post)(inst|rm)$'"
fi

echo "== dependencies on this machine"
check "apt can install it here (simulated)" \
  apt-get install --simulate --no-install-recommends -q "$deb"

echo "== installed into a scratch root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch root holds no libraries: the programs run on this machine's, which apt just
# found to satisfy Depends.
check "dpkg installs it" dpkg --root="$root" --log="$work/dpkg.log" --force-depends \
  --force-script-chrootless -i "$deb"
check "dpkg lists it as installed" \
  bash -c "dpkg --root='$root' -s quelmar | grep -q '^Status: install ok installed'"
for b in scopedesk orbilux; do
  check "$b is a stripped executable" \
    bash -c "file -L '$root/usr/bin/$b' | grep -q 'ELF.*executable.*, stripped'"
  page=$root/usr/share/man/man1/$b.1.gz
  check "man page of $b renders without warnings" \
    bash -c "MANWIDTH=80 man --warnings -l '$page' 2>&1 >/dev/null | (! grep .)"
done
for d in "$root"/usr/share/applications/*.desktop; do
  check "desktop-file-validate $(basename "$d")" bash -c "! desktop-file-validate '$d' | grep ."
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$d")
  icon=$(sed -n 's/^Icon=//p' "$d")
  check "$(basename "$d") starts an installed program" test -x "$root/usr/bin/$exec_name"
  check "$(basename "$d") names an installed icon" \
    test -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"
done
for m in "$root"/usr/share/metainfo/*.metainfo.xml; do
  check "appstreamcli validate $(basename "$m")" appstreamcli validate --no-net "$m"
  newest=$(python3 -c 'import sys, xml.etree.ElementTree as E; print(E.parse(sys.argv[1]).find("releases/release").get("version"))' "$m")
  check "$(basename "$m") names release $version" equals "$newest" "$version"
done

echo "== the installed programs start"
for b in scopedesk orbilux; do
  check "$b --version without a display" equals "$(no_display "$root/usr/bin/$b" --version)" "$b $version"
  check "$b --help without a display" \
    bash -c "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '$root/usr/bin/$b' --help | grep -q '^Usage: $b'"
  refused() {
    local status=0
    no_display "$root/usr/bin/$1" --no-such-option 2>"$work/err" || status=$?
    equals "$status" 2 && grep -q "Unknown option 'no-such-option'" "$work/err"
  }
  check "$b refuses an unknown option with status 2" refused "$b"
  no_window() {
    local status=0
    no_display "$root/usr/bin/$1" 2>"$work/err" >/dev/null || status=$?
    equals "$status" 1 && equals "$(wc -l <"$work/err")" 1 && grep -q 'no display' "$work/err"
  }
  check "$b without a display says so in one line, status 1" no_window "$b"
done

home=$work/home
mkdir -p "$home"
station_shows() {
  SCOPEDESK_HOME=$home timeout 60 "$root/usr/bin/scopedesk" -platform offscreen --demo-camera \
    --exit-when-shown 2>/dev/null | grep -q '^main window shown after'
}
check "scopedesk shows its window (offscreen, demo camera)" station_shows
viewer_runs() {
  ORBILUX_HOME=$home timeout 60 "$root/usr/bin/orbilux" -platform offscreen --exit-after 0.5 \
    --wifi-host 127.0.0.1 --wifi-web-port 9 --wifi-network-name none 2>/dev/null |
    grep -q '^frames shown: 0$'
}
check "orbilux shows its window and quits (offscreen)" viewer_runs
share_serves() {
  local port share=$work/share
  mkdir -p "$share" && echo shared >"$share/inside.txt"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  "$root/usr/bin/orbilux" --ftp-serve "$share" --port "$port" --ftp-address 127.0.0.1 \
    >"$work/share.out" 2>&1 &
  local pid=$! i
  for i in $(seq 100); do grep -q '^Sharing' "$work/share.out" && break; sleep 0.1; done
  local got status=0
  got=$(curl -s --max-time 10 "ftp://127.0.0.1:$port/inside.txt") || true
  kill -TERM "$pid"
  wait "$pid" || status=$?
  equals "$got" shared && equals "$status" 0
}
check "orbilux --ftp-serve serves a file and ends on SIGTERM" share_serves

echo "== removed again"
check "dpkg removes it" dpkg --root="$root" --log="$work/dpkg.log" --force-depends \
  --force-script-chrootless -r quelmar
check "no file is left behind" bash -c "! find '$root/usr' -type f | grep ."

echo "check-package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
