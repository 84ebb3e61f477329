#!/usr/bin/env bash
# Cross-builds the command-line tool for 64-bit Windows with MinGW-w64 and runs it under Wine on
# the starter data, with the data folder and the documents in folders of Cyrillic names: what it
# prints and writes must be what the Linux build prints and writes, byte for byte. Needs the Linux
# build (BUILD_DIR, build/ by default) with its starter data; scripts/test.sh runs it after that.
# Usage: scripts/windows_check.sh   (WIN_BUILD_DIR=... to build elsewhere)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages g++-mingw-w64-x86-64-posix wine wine64
win_build=${WIN_BUILD_DIR:-$root/build-win}
# Without -Werror: the cross compiler's own headers give -Wrestrict false alarms (GCC 12).
cmake -S "$root" -B "$win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTELVARION_BUILD_GUI=OFF -DTELVARION_BUILD_TESTS=OFF
cmake --build "$win_build" --parallel --target telvarion-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all
win_tool() { wine "$win_build/telvarion-cli.exe" "$@"; }
# A Linux path as Wine's Windows programs see it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

data="$work/Данные"
docs="$work/Документы"
mkdir -p "$data" "$docs" "$work/linux-data"
find "$build" -maxdepth 1 -name 'Telvarion.*' ! -name Telvarion.lock -exec cp {} "$data"/ \;
cp "$data"/Telvarion.* "$work/linux-data"/
cp "$build"/samples/*.rla "$docs"/

failed=0
same() { # what, expected file, actual file
  if cmp -s "$2" "$3"; then echo "ok: $1"; else echo "DIFFERS: $1"; failed=1; fi
}

expected="$root/tests/cli/expected"
win_tool analyse --json --jobs 2 --data-dir "$(winpath "$data")" --out "$(winpath "$docs/итог")" "$(winpath "$docs")" \
  > "$work/analyse.json" 2> "$work/analyse.err"
same "analyse --json over the folder" "$expected/analyse.json" "$work/analyse.json"
for doc in "$build"/samples/*.rla; do
  name=$(basename "$doc")
  same "the document $name" "$expected/$name" "$docs/итог/$name"
done
# The data folder named by the environment this time.
TELVARION_DATA_DIR="$(winpath "$data")" win_tool analyse "$(winpath "$docs")" > "$work/analyse.txt" 2>/dev/null
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

if [ "$failed" -ne 0 ]; then
  echo "The Windows build differs from the Linux build" >&2
  exit 1
fi
echo "The Windows build under Wine writes what the Linux build writes"
