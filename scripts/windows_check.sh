#!/usr/bin/env bash
# Cross-builds the engine, its test suites and the command-line tool for 64-bit Windows with
# MinGW-w64 and runs them under Wine:
#  - the engine's suites (every test folder but "huge"; every temporary folder has Cyrillic letters);
#  - the starter service files, made by the Windows tool's imports and dictionary loads, must be the
#    Linux build's byte for byte;
#  - with the data folder and the documents under C:\Документы (once by their Z: paths), what the
#    tool prints and writes must be what the Linux build prints and writes;
#  - the zip package (cpack -G ZIP), unpacked, fills a fresh per-user folder and analyses the samples;
#  - the desktop program, its window suites and its setup program (scripts/windows_gui_check.sh),
#    when the Qt for Windows is built (scripts/build_qt_windows.sh; TELVARION_WINDOWS_GUI=1 builds
#    it first, once); without it that part is skipped, and said so.
# Needs the Linux build (BUILD_DIR, build/ by default) with its starter data; scripts/test.sh runs it
# after that. Usage: scripts/windows_check.sh   (WIN_BUILD_DIR=... to build elsewhere)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages g++-mingw-w64-x86-64-posix wine wine64 googletest
win_build=${WIN_BUILD_DIR:-$root/build-win}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A Wine of its own, new like a first-time user's: the build's first run of the tool creates it.
export WINEPREFIX="$work/wine" WINEDEBUG=-all
# Wine names files on Linux in the locale's character set: under the POSIX locale of a bare system
# a folder with Cyrillic letters cannot be made at all.
export LC_ALL=C.UTF-8

cmake -S "$root" -B "$win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTELVARION_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTELVARION_BUILD_GUI=OFF -DTELVARION_BUILD_TESTS=ON
cmake --build "$win_build" --parallel --target telvarion-cli telvarion_data \
  base_tests requisites_tests storage_tests core_tests orvo_tests local_tests document_tests flow_tests cli_tests
win_tool() { wine "$win_build/telvarion-cli.exe" "$@"; }

# The suites, one Wine start each.
ctest --test-dir "$win_build" --output-on-failure -E huge

# The data folder and the documents where an editor keeps them: C:\Документы\…
data="$WINEPREFIX/drive_c/Документы/Данные"
docs="$WINEPREFIX/drive_c/Документы/Тексты"
mkdir -p "$data" "$docs" "$work/linux-data"
find "$build" -maxdepth 1 -name 'Telvarion.*' ! -name Telvarion.lock -exec cp {} "$data"/ \;
cp "$data"/Telvarion.* "$work/linux-data"/
cp "$build"/samples/*.rla "$docs"/

failed=0

expected="$root/tests/cli/expected"
for name in Telvarion.dov Telvarion.orv Telvarion.ttl Telvarion.dlc Telvarion.loc Telvarion.tlc; do
  same "$name made by the Windows tool's imports and loads" "$build/$name" "$win_build/$name"
done

win_tool analyse --json --jobs 2 --data-dir "$(winpath "$data")" --out "$(winpath "$docs/итог")" "$(winpath "$docs")" \
  > "$work/analyse.json" 2> "$work/analyse.err"
same "analyse --json over the folder" "$expected/analyse.json" "$work/analyse.json"
for doc in "$build"/samples/*.rla; do
  name=$(basename "$doc")
  same "the document $name" "$expected/$name" "$docs/итог/$name"
done
# The data folder named by the environment this time, on the other drive.
TELVARION_DATA_DIR="$(zpath "$data")" win_tool analyse "$(zpath "$docs")" > "$work/analyse.txt" 2>/dev/null
same "analyse as text, the data folder from TELVARION_DATA_DIR" "$expected/analyse.txt" "$work/analyse.txt"

"$build/telvarion-cli" explain --json --data-dir "$work/linux-data" "$docs"/*.rla > "$work/explain-linux.json"
win_tool explain --json --data-dir "$(winpath "$data")" "$(winpath "$docs")" > "$work/explain-win.json"
same "explain --json" "$work/explain-linux.json" "$work/explain-win.json"

# A dictionary replaced over the file that is there, then read back.
"$build/telvarion-cli" dict local-types load "$root/data/local-types.txt" --data-dir "$work/linux-data" > /dev/null
win_tool dict local-types load "$(winpath "$root/data/local-types.txt")" --data-dir "$(winpath "$data")" > /dev/null
same "Telvarion.dlc after dict load" "$work/linux-data/Telvarion.dlc" "$data/Telvarion.dlc"
"$build/telvarion-cli" dump local --data-dir "$work/linux-data" > "$work/dump-linux.txt"
win_tool dump local --data-dir "$(winpath "$data")" > "$work/dump-win.txt"
same "dump local" "$work/dump-linux.txt" "$work/dump-win.txt"

# The zip, unpacked into a folder of Cyrillic name and run by a user whose data folder is still
# empty: Wine's own %LOCALAPPDATA%, in this run's fresh prefix.
(cd "$win_build" && cpack -G ZIP > "$work/cpack.log")
zip=("$win_build"/telvarion-*-win64.zip)
mkdir -p "$work/Распаковано"
(cd "$work/Распаковано" && cmake -E tar xf "${zip[0]}")
unpacked=("$work/Распаковано"/telvarion-*-win64)
for part in bin/telvarion-cli.exe README.md share/telvarion/Telvarion.orv share/telvarion/samples/ukaz-14.rla; do
  [ -f "${unpacked[0]}/$part" ] || { echo "DIFFERS: the zip has no $part"; failed=1; }
done
env -u TELVARION_DATA_DIR wine "${unpacked[0]}/bin/telvarion-cli.exe" \
  analyse --json "$(winpath "${unpacked[0]}/share/telvarion/samples")" > "$work/zip.json" 2> "$work/zip.err" || true
same "the unpacked zip's tool over its samples, a fresh user" "$expected/analyse.json" "$work/zip.json"
if grep -q "first run: the starter service files were copied" "$work/zip.err"; then
  user_folder=("$WINEPREFIX"/drive_c/users/*/AppData/Local/telvarion)
  same "the starter Telvarion.orv copied into the user's folder" "$build/Telvarion.orv" "${user_folder[0]}/Telvarion.orv"
else
  echo "DIFFERS: the zip's first run did not fill the user's folder"; cat "$work/zip.err"; failed=1
fi

if [ "$failed" -ne 0 ]; then
  echo "The Windows build differs from the Linux build" >&2
  exit 1
fi
echo "The Windows build under Wine writes what the Linux build writes"
wineserver -k 2> /dev/null || true

qt_windows=$(qt_windows_cache)
if [ "${TELVARION_WINDOWS_GUI:-0}" = 1 ]; then
  "$root/scripts/build_qt_windows.sh"
fi
if [ -f "$qt_windows/telvarion-qt.stamp" ]; then
  "$root/scripts/windows_gui_check.sh" "$qt_windows"
else
  echo "SKIPPED: the desktop program for Windows, its window suites and its setup program:" \
    "no Qt for Windows in $qt_windows. Build it once with scripts/build_qt_windows.sh" \
    "(or run with TELVARION_WINDOWS_GUI=1), then run this again."
fi
