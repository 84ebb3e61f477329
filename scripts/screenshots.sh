#!/usr/bin/env bash
# Pictures of the desktop program for review, taken under a virtual X display: the program at its
# start (splash, empty window), and from the main-window test run in picture mode the window after
# a sample was opened and analysed, each dialog of the analyses as it was answered, the statistics,
# the about box, two menus, the import's progress, the Orvo search and the review list; from the
# help test the help window and the first start in an empty data folder. They go to docs/images/.
# Usage: scripts/screenshots.sh   (BUILD_DIR=... to use another build)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages xvfb xauth imagemagick
build_project

images="$root/docs/images"
mkdir -p "$images"
rm -f "$images"/*.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The service files only: a lock of a program running on the build folder stays there.
find "$build" -maxdepth 1 -name 'Telvarion.*' ! -name Telvarion.lock -exec cp {} "$work"/ \;

export TELVARION_TEST_DATA="$build" TELVARION_SCREENSHOT_DIR="$images" QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

xvfb-run -a -s "-screen 0 1440x900x24" bash -c '
  set -euo pipefail
  TELVARION_DATA_DIR="$0" "$1/telvarion" & pid=$!
  sleep 1.2; import -window root "$2/start-splash.png"
  sleep 2.5; import -window root "$2/start.png"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  "$1/tests/shell_main_window_test" openAnalyseSaveThroughTheRealDialogs keysReachTheirCommands tagCommandsByTheirKeys \
    menusShowTheirTextsAndLabelsAndBindTheirKeys importShowsItsProgressAndStopsOnCancel orvoSearchOpensItsDialog \
    theReviewListWithoutQuestions
  "$1/tests/shell_help_test" f1OpensTheHelpExceptInTheLineView aFreshDataFolderIsFilledAndNamedInTheStatusBar
' "$work" "$build" "$images"

echo "Pictures in $images:"
ls "$images"
