#!/usr/bin/env bash
# Builds, once, the Qt for Windows the desktop program's Windows build needs: Debian's own sources
# of the installed Qt (source package qt6-base, the version of qt6-base-dev), cross-built with
# MinGW-w64 into a cache folder outside the clone. Core, Gui, Widgets, Network and Test, shared,
# with the windows and offscreen platform plugins; the host tools are Debian's Qt's.
#
# Usage: scripts/build_qt_windows.sh   (TELVARION_QT_WINDOWS=... for another cache folder than
#        ~/.cache/telvarion/qt-<version>-mingw; QT_WINDOWS_WORK=... to build somewhere else than a
#        temporary folder). Prints the cache folder on its last line. A second run finds the cache
#        and does nothing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages g++-mingw-w64-x86-64-posix dpkg-dev
debian_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
version=$(qt_version)
cache=$(qt_windows_cache)
if [ -f "$cache/telvarion-qt.stamp" ]; then
  echo "Qt $version for Windows is already built in $cache"
  echo "$cache"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
# apt-get source needs an entry for the sources of Debian's own archive.
if ! apt-get source --print-uris -qq "qt6-base=$debian_version" > /dev/null 2>&1; then
  echo "Adding the sources of Debian's archive to apt (deb-src)"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  $sudo tee /etc/apt/sources.list.d/telvarion-deb-src.sources > /dev/null << EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -qq
fi

work=${QT_WINDOWS_WORK:-}
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
started=$(date +%s)
(cd "$work" && apt-get source -qq "qt6-base=$debian_version" > source.log)
source_dir=$(find "$work" -maxdepth 1 -type d -name "qt6-base-*" | head -n 1)
[ -n "$source_dir" ] || { echo "apt-get source left no qt6-base folder in $work" >&2; exit 1; }

# The project's toolchain, with the C++ runtime shared: Qt's libraries and the programs built on
# them must share one runtime, shipped beside them.
# Debian's sources are cleaned of the tablet header wintab.h, hence no tablet events; the windows
# platform plugin of 6.4 does not compile without OpenGL, which stays on (loaded at run time).
cmake -S "$source_dir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTELVARION_SHARED_RUNTIME=ON \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache" -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_opengl_dynamic=ON \
  -DINPUT_opengl=dynamic > "$work/configure.log" || { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --parallel
cmake --install "$work/build" > "$work/install.log"
# Qt's Russian texts for its own dialogs, from Debian's package (the same release).
ensure_packages qt6-translations-l10n
mkdir -p "$cache/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$cache/translations/"
echo "qt6-base $debian_version, built in $(($(date +%s) - started)) s" > "$cache/telvarion-qt.stamp"
cat "$cache/telvarion-qt.stamp"
echo "$cache"
