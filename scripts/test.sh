#!/usr/bin/env bash
# Installs what the build needs (Debian 12), configures, builds and runs every test.
# Exits non-zero on any failure. Usage: scripts/test.sh   (BUILD_DIR=... to build elsewhere)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_project
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
