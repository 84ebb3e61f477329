#!/usr/bin/env bash
# Checks that the C++ lines changed since .clang-format came into the project follow it: the older
# code keeps its form until someone changes it, every changed line is held to the style. Prints what
# clang-format would change and exits 1 when anything would.
# Usage: scripts/check_format.sh [BASE]   (BASE: a commit to compare with; by default the one that
#        added .clang-format)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

base=${1:-$(git log --diff-filter=A --format=%H -1 -- .clang-format 2>/dev/null || true)}
if [ -z "$base" ] || ! git cat-file -e "$base^{commit}" 2>/dev/null; then
  echo "check_format: no history of .clang-format here (a shallow or exported tree); nothing checked"
  exit 0
fi
diff=$(git clang-format --diff --extensions h,cpp "$base" 2>&1 || true)
if grep -q '^@@' <<< "$diff"; then
  printf '%s\n' "$diff"
  echo "Lines changed since $(git log -1 --format=%h "$base") differ from .clang-format: run git clang-format $base" >&2
  exit 1
fi
echo "The C++ lines changed since $(git log -1 --format=%h "$base") follow .clang-format"
