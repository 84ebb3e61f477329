#!/usr/bin/env bash
# How long the installed Windows desktop program takes under Wine, on a virtual display with a
# window manager, from its start to its main window: cold (Wine's server stopped and, where the
# system allows it, the page cache dropped) and warm (the server running, the program started just
# before). The setup program of the Windows build (scripts/windows_gui_check.sh leaves it in
# build-win-gui/) is installed silently into a Wine prefix of its own first.
# Usage: bench/windows_start.sh [RUNS]   (WIN_GUI_BUILD_DIR=... for another build folder)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
gui_build=${WIN_GUI_BUILD_DIR:-$root/build-win-gui}
runs=${1:-5}
setup=("$gui_build"/telvarion-*-win64-setup.exe)
[ -f "${setup[0]}" ] || { echo "no setup program in $gui_build: run scripts/windows_gui_check.sh first" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
  WINEPREFIX="$work/wine" wineserver -k 2> /dev/null || true
  kill "${display_pid:-}" "${wm_pid:-}" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all LC_ALL=C.UTF-8
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
display_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox > /dev/null 2>&1 &
wm_pid=$!
wine wineboot -i > /dev/null 2>&1 || true
wine "Z:${setup[0]//\//\\}" /S
program="$WINEPREFIX/drive_c/Program Files/Telvarion/bin/telvarion.exe"

# Seconds from the start to the main window, shown; the program is then closed.
one_start() {
  local begin end pid
  begin=$(date +%s.%N)
  wine "$program" > /dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name '^(Telvarion|Расстановка гиперссылок)' > /dev/null 2>&1; do
    kill -0 "$pid" 2> /dev/null || { echo "the program ended without a window" >&2; return 1; }
    sleep 0.02
  done
  end=$(date +%s.%N)
  sleep 2
  xdotool search --onlyvisible --name '^(Telvarion|Расстановка гиперссылок)' windowactivate --sync key alt+F4 \
    > /dev/null 2>&1 || true
  for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
  printf "%.2f\n" "$(echo "$end - $begin" | bc)"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

one_start > /dev/null # the first start fills the user's data folder
cold=()
for _ in $(seq "$runs"); do
  wineserver -k 2> /dev/null || true
  wineserver -w 2> /dev/null || true
  sync
  dropped=no
  if echo 3 > /proc/sys/vm/drop_caches 2> /dev/null; then dropped=yes; fi
  cold+=("$(one_start)")
done
wineserver -p 2> /dev/null || true
one_start > /dev/null
warm=()
for _ in $(seq "$runs"); do warm+=("$(one_start)"); done

echo "== the installed Windows program under Wine, start to main window ($runs runs each)"
echo "cold (Wine's server stopped, page cache dropped: $dropped): median $(printf '%s\n' "${cold[@]}" | median) s;" \
  "all: ${cold[*]}"
echo "warm (Wine's server running): median $(printf '%s\n' "${warm[@]}" | median) s; all: ${warm[*]}"
