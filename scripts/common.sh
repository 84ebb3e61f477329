# Shared by the scripts: what the build needs from Debian's packages, and the build itself.
# Source it; it defines root, build and the functions below.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

# file: the package build reads the libraries' dependencies with it; python3: the check of the
# starter data against its sources.
packages=(cmake ninja-build g++ libgtest-dev qt6-base-dev qt6-translations-l10n fonts-liberation dpkg-dev file python3)

ensure_packages() {
  local missing=() p
  for p in "${packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_project() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTELVARION_WERROR=ON "$@"
}

build_project() {
  configure_project "$@"
  cmake --build "$build" --parallel
}

# Only the programs and their starter data: what running Telvarion needs, without the tests.
build_programs() {
  configure_project
  local targets=(telvarion-cli telvarion_data)
  if grep -q '^TELVARION_BUILD_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    targets+=(telvarion)
  fi
  cmake --build "$build" --parallel --target "${targets[@]}"
}

# The version of the Qt Debian ships here (qt6-base-dev) as Qt names it (6.4.2), and where the Qt
# for Windows of that version is built once (scripts/build_qt_windows.sh).
qt_version() {
  local version
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  version=${version%%+*}
  printf '%s' "${version#*:}"
}
qt_windows_cache() {
  printf '%s' "${TELVARION_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/telvarion/qt-$(qt_version)-mingw}"
}

# The checks under Wine. A Linux path as Wine's Windows programs see it: on drive C: inside the
# prefix ($WINEPREFIX), else on Z:.
zpath() { printf 'Z:%s' "${1//\//\\}"; }
winpath() {
  local rest=${1#"$WINEPREFIX/drive_c/"}
  if [ "$rest" != "$1" ]; then printf 'C:\\%s' "${rest//\//\\}"; else zpath "$1"; fi
}
# Two files that must be equal; a difference sets failed=1.
same() { # what, expected file, actual file
  if cmp -s "$2" "$3"; then echo "ok: $1"; else echo "DIFFERS: $1"; failed=1; fi
}
