#!/usr/bin/env bash
# Installs what is missing, builds, and runs Telvarion's main job on the bundled samples: the
# batch analysis of the sample documents with the starter dictionaries. The processed documents
# go to out/, the statistics to the terminal.
# Usage: scripts/run.sh [telvarion-cli analyse options]   (BUILD_DIR=... to build elsewhere)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_project

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
