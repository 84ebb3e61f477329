#!/usr/bin/env bash
# Installs what the build needs (Debian 12), configures, builds and runs every test.
# Exits non-zero on any failure. Usage: scripts/test.sh   (BUILD_DIR=... to build elsewhere)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

packages=(cmake ninja-build g++ libgtest-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELVARION_WERROR=ON
cmake --build "$build" --parallel
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
