#!/usr/bin/env bash
# Times the first page of a folder of 100,000 mails like a user's in the real
# main window (MainWndBench open), warm (the folder's files in the page cache)
# and cold (dropped from it) in turns, after a clean close and checked in full
# (no stamp, as after a crash or an older program), and prints the medians
# as "name: value unit" lines.
#   bench/mainwnd-open.sh [rounds] [folder]
# The folder (a host directory, by default in the build tree) is made once
# by "MainWndBench make" when missing. A cold run drops only the folder's own
# files from the cache (posix_fadvise DONTNEED after a sync), so that the
# rest of the machine keeps its cache; the kernel's cache of directory
# entries stays.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
rounds=${1:-5}
folder=${2:-$build/bench-data/UserFolder}
exe=$build/bench/MainWndBench.exe
export WINEPREFIX=${CVM_WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 TZ=Asia/Tokyo
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" >/dev/null 2>&1 || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$displayfile" </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -1 "$displayfile")
  rm -f "$displayfile"
fi
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" </dev/null >/dev/null 2>&1

if [ ! -f "$folder/Index.lst" ]; then
  mkdir -p "$folder"
  wine "$exe" make "$(winepath -w "$folder")"
fi

drop_cache() {
  sync
  python3 - "$folder" <<'EOF'
import os, sys
for top, dirs, files in os.walk(sys.argv[1]):
    for name in files:
        fd = os.open(os.path.join(top, name), os.O_RDONLY)
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        os.close(fd)
EOF
}

# open_once [checked]: the seconds to the first page.
open_once() {
  wine "$exe" open "$(winepath -w "$folder")" "$@" | awk -F': ' '/^open_folder_100k_first_page/ { print $2 + 0 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

warm=() cold=() warm_checked=() cold_checked=()
# Each warm run follows one that read the same files.
for _ in $(seq "$rounds"); do
  open_once >/dev/null
  warm+=("$(open_once)")
  drop_cache
  cold+=("$(open_once)")
  open_once checked >/dev/null
  warm_checked+=("$(open_once checked)")
  drop_cache
  cold_checked+=("$(open_once checked)")
done
open_once >/dev/null  # leaves the folder closed cleanly again
echo "open_folder_100k_first_page_warm: $(printf '%s\n' "${warm[@]}" | median) s"
echo "open_folder_100k_first_page_cold: $(printf '%s\n' "${cold[@]}" | median) s"
echo "open_folder_100k_first_page_checked_warm: $(printf '%s\n' "${warm_checked[@]}" | median) s"
echo "open_folder_100k_first_page_checked_cold: $(printf '%s\n' "${cold_checked[@]}" | median) s"
echo "runs: ${warm[*]} | ${cold[*]} | ${warm_checked[*]} | ${cold_checked[*]}"
