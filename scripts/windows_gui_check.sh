#!/usr/bin/env bash
# The desktop program for Windows, built on the Qt for Windows of scripts/build_qt_windows.sh, and
# tried under Wine:
#  - telvarion.exe, the tool and the window and help suites cross-built warning-free, laid out
#    with Qt's libraries and plugins; the suites run offscreen;
#  - the real window on a virtual display with a window manager: a sample in a folder of Cyrillic
#    name is opened with the keyboard (Ctrl+O, its name, Enter), every question is answered with
#    Enter, the document is saved; it must be byte for byte what the Linux program saves after
#    the same keys; the data folder's name is Cyrillic too; a screenshot is kept;
#  - the setup program (NSIS): installed silently into a fresh Wine prefix, the installed program
#    started (its first start fills the per-user data folder), the installed tool run on a sample,
#    then uninstalled, which leaves the user's data.
# The setup program and the screenshots stay in the build folder.
# Usage: scripts/windows_gui_check.sh QT_FOR_WINDOWS_FOLDER   (WIN_GUI_BUILD_DIR=... to build
#        elsewhere; needs the Linux build, BUILD_DIR or build/, with its desktop program)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qt=$1
ensure_packages g++-mingw-w64-x86-64-posix wine wine64 googletest nsis xvfb openbox xdotool imagemagick
gui_build=${WIN_GUI_BUILD_DIR:-$root/build-win-gui}
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  for prefix in "$work"/wine*; do [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2> /dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all
# Wine names files in the locale's character set: Cyrillic folder names need UTF-8.
export LC_ALL=C.UTF-8
started=$SECONDS
stage() { echo "== $1 (at $((SECONDS - started)) s)"; }
failed=0
check() { # what, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

stage "building the desktop program, its tool and its window suites for Windows"
cmake -S "$root" -B "$gui_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTELVARION_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTELVARION_QT_WINDOWS="$qt" \
  -DTELVARION_BUILD_TESTS=ON > "$work/configure.log" || { cat "$work/configure.log"; exit 1; }
suites=()
for source in "$root"/tests/shell/*_test.cpp "$root"/tests/view/*_test.cpp; do
  name=$(basename "$source" .cpp)
  suites+=("$(basename "$(dirname "$source")")_$name")
done
cmake --build "$gui_build" --parallel --target telvarion telvarion-cli telvarion_data "${suites[@]}"

stage "the window and help suites under Wine, offscreen"
ctest --test-dir "$gui_build" --output-on-failure -R '^(shell|view)_' || failed=1

# A virtual display with a window manager, for the real window.
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox > /dev/null 2>&1 &
pids+=($!)
sleep 1

active_name() { xdotool getactivewindow getwindowname 2> /dev/null || true; }
# Waits for the active window's title to match a pattern; fails after $2 seconds.
wait_active() {
  local until=$((SECONDS + $2))
  while [ $SECONDS -lt $until ]; do
    [[ "$(active_name)" =~ $1 ]] && return 0
    sleep 0.2
  done
  echo "no window titled /$1/ came up; active: '$(active_name)'" >&2
  return 1
}
# Answers with Enter whatever window other than the main one is active, until the main window has
# been active and its title matched $1 for three seconds in a row (or $2 seconds have gone).
answer_until() {
  local until=$((SECONDS + $2)) quiet=0 name
  while [ $SECONDS -lt $until ] && [ $quiet -lt 15 ]; do
    name=$(active_name)
    if [[ "$name" =~ $1 ]]; then
      quiet=$((quiet + 1))
    else
      quiet=0
      [[ "$name" == Telvarion\ -* || -z "$name" ]] || xdotool key --clearmodifiers Return
    fi
    sleep 0.2
  done
  [ $quiet -ge 15 ]
}
# Drives one program: opens $2 (as the program names it) with Ctrl+O, answers every question with
# Enter, keeps a screenshot in $3, saves with Ctrl+S and closes the window. The program is the rest.
walk() {
  local log=$1 doc=$2 picture=$3
  shift 3
  "$@" > "$log" 2>&1 &
  local pid=$!
  wait_active '^(Telvarion|Расстановка гиперссылок)' 60 || return 1
  sleep 2 # the splash goes, the dictionaries are read
  wait_active '^(Telvarion|Расстановка гиперссылок)' 30 || return 1
  xdotool key --clearmodifiers ctrl+o
  wait_active '^Открыть' 30 || return 1
  # Wine's dialog takes a moment, and sometimes the window manager's word, before its name field
  # takes keys, and on a busy machine a typed letter can be lost: the name is typed again while
  # the dialog stays (after its untitled "Path does not exist" box, closed with Enter).
  local dialog attempt name
  dialog=$(xdotool getactivewindow)
  for attempt in 1 2 3 4 5 6 7 8; do
    sleep 3
    xdotool windowactivate --sync "$dialog" 2> /dev/null || true
    sleep 0.5
    xdotool key --clearmodifiers End shift+Home BackSpace
    xdotool type --delay 80 "$doc"
    sleep 0.3
    xdotool key --clearmodifiers Return
    sleep 1.5
    name=$(active_name)
    if [ -z "$name" ]; then
      xdotool key --clearmodifiers Return
      sleep 0.5
      name=$(active_name)
    fi
    [[ "$name" == Открыть ]] || break
    echo "the file dialog is still open after attempt $attempt: its name typed again" >&2
  done
  answer_until '^Telvarion - .*\*' 300 || { echo "the analyses did not end" >&2; return 1; }
  import -window root "$picture"
  xdotool key --clearmodifiers ctrl+s
  answer_until '^Telvarion - [^*]*$' 60 || { echo "the save did not end" >&2; return 1; }
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.2; done
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
}

stage "the real window under Wine: open, answer, save"
sample=ukaz-14.rla
linux_home="$work/linux"
mkdir -p "$linux_home/Данные" "$linux_home/Тексты" "$linux_home/config" "$linux_home/share"
mkdir -p -m 700 "$linux_home/runtime"
find "$build" -maxdepth 1 -name 'Telvarion.*' ! -name Telvarion.lock -exec cp {} "$linux_home/Данные"/ \;
cp "$build/samples/$sample" "$linux_home/Тексты/"
walk "$work/linux.log" "$linux_home/Тексты/$sample" "$work/linux.png" \
  env XDG_RUNTIME_DIR="$linux_home/runtime" XDG_CONFIG_HOME="$linux_home/config" XDG_DATA_HOME="$linux_home/share" \
  TELVARION_DATA_DIR="$linux_home/Данные" QT_QPA_PLATFORM=xcb "$build/telvarion" \
  || { echo "FAILED: the Linux program's walk"; cat "$work/linux.log"; failed=1; }

wine wineboot -i > /dev/null 2>&1 || true
data="$WINEPREFIX/drive_c/Документы/Данные"
docs="$WINEPREFIX/drive_c/Документы/Тексты"
mkdir -p "$data" "$docs"
cp "$linux_home/Данные"/Telvarion.* "$data"/ 2> /dev/null || true
find "$build" -maxdepth 1 -name 'Telvarion.*' ! -name Telvarion.lock -exec cp {} "$data"/ \;
cp "$build/samples/$sample" "$docs/"
walk "$work/windows.log" "$(winpath "$docs/$sample")" "$gui_build/window-under-wine.png" \
  env TELVARION_DATA_DIR="$(winpath "$data")" wine "$gui_build/telvarion.exe" \
  || { echo "FAILED: the Windows program's walk"; cat "$work/windows.log"; failed=1; }
check "the Linux program saved the document" test -f "$linux_home/Тексты/$sample"
check "the document changed with its links" bash -c "! cmp -s '$build/samples/$sample' '$linux_home/Тексты/$sample'"
same "the document saved by the Windows program, Linux's byte for byte" "$linux_home/Тексты/$sample" "$docs/$sample"
echo "screenshot: $gui_build/window-under-wine.png"

stage "the setup program"
rm -f "$gui_build"/telvarion-*-win64-setup.exe
(cd "$gui_build" && cpack -G NSIS > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
setup=("$gui_build"/telvarion-*-win64-setup.exe)
size=$(stat -c %s "${setup[0]}")
echo "$(basename "${setup[0]}"): $((size / 1024)) KiB"
check "the setup program is at most 30 MB" test "$size" -le $((30 * 1024 * 1024))

# A Windows of its own, as new as a first-time user's.
wineserver -k 2> /dev/null || true
export WINEPREFIX="$work/wine-setup"
wine wineboot -i > /dev/null 2>&1 || true
wine "$(zpath "${setup[0]}")" /S
installed="$WINEPREFIX/drive_c/Program Files/Telvarion"
for part in bin/telvarion.exe bin/telvarion-cli.exe bin/Qt6Widgets.dll bin/platforms/qwindows.dll \
  bin/libstdc++-6.dll share/telvarion/Telvarion.orv share/telvarion/samples/$sample \
  share/telvarion/translations/qtbase_ru.qm README.md Uninstall.exe; do
  check "installed: $part" test -f "$installed/$part"
done
check "the Start menu has Telvarion" bash -c \
  "find '$WINEPREFIX/drive_c' -path '*Start Menu/Programs/Telvarion/Telvarion.lnk' | grep -q ."

# The installed program's first start: the window shows and the starter data are copied.
(cd "$installed/bin" && wine telvarion.exe > "$work/installed.log" 2>&1) &
pids+=($!)
if wait_active '^(Telvarion|Расстановка гиперссылок)' 60; then
  echo "ok: the installed program's main window appeared"
  sleep 3
  import -window root "$gui_build/installed-under-wine.png"
  echo "screenshot: $gui_build/installed-under-wine.png"
  xdotool key --clearmodifiers alt+F4
else
  echo "FAILED: the installed program's main window did not appear"
  cat "$work/installed.log"
  failed=1
fi
sleep 3
user_folder=("$WINEPREFIX"/drive_c/users/*/AppData/Local/telvarion)
same "the first start copied the starter Telvarion.orv into %LOCALAPPDATA%\\telvarion" \
  "$build/Telvarion.orv" "${user_folder[0]}/Telvarion.orv"

wine "$(winpath "$installed/bin/telvarion-cli.exe")" analyse --json \
  "$(winpath "$installed/share/telvarion/samples")" > "$work/installed.json" 2> /dev/null || true
same "the installed tool over the installed samples" "$root/tests/cli/expected/analyse.json" "$work/installed.json"

wine "$(winpath "$installed/Uninstall.exe")" /S
for _ in $(seq 150); do [ -e "$installed/bin/telvarion.exe" ] || break; sleep 0.2; done
check "uninstalled: the program is gone" test ! -e "$installed/bin/telvarion.exe"
check "uninstalled: the user's data stay" test -f "${user_folder[0]}/Telvarion.orv"

stage "done"
if [ "$failed" -ne 0 ]; then
  echo "The desktop program for Windows failed its checks under Wine" >&2
  exit 1
fi
echo "The desktop program for Windows works under Wine as on Linux, and installs and uninstalls"
