#!/usr/bin/env bash
# Installs what is missing, builds, and runs Telvarion on the starter data beside the build.
# With a display ($DISPLAY or $WAYLAND_DISPLAY) it starts the desktop program; without one it runs
# the main job in batch: both analyses of the sample documents, the processed documents to out/,
# the statistics to the terminal.
# Usage: scripts/run.sh [telvarion-cli analyse options]   (BUILD_DIR=... to build elsewhere)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ]; then
  # Without X the program needs Qt's Wayland plugin.
  ensure_packages qt6-wayland
else
  ensure_packages
fi
build_programs

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting Telvarion; the sample documents are in $build/samples"
  TELVARION_DATA_DIR="$build" exec "$build/telvarion"
fi

out="$root/out"
mkdir -p "$out"
shopt -s nullglob
samples=("$build"/samples/*.rla)
if [ ${#samples[@]} -eq 0 ]; then
  echo "No sample documents in $build/samples" >&2
  exit 1
fi
"$build/telvarion-cli" analyse --data-dir "$build" --out "$out" "$@" "${samples[@]}"
echo "The processed documents are in $out"
