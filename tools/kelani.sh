#!/usr/bin/env bash
# One entry point for players and developers on Debian 12:
#   tools/kelani.sh play   installs what is missing, builds the game and starts it
#   tools/kelani.sh test   installs what is missing, builds with sanitizers and runs every test:
#                          first the Qt-free core alone (build-core), then everything (build-test)
#   tools/kelani.sh bench  builds optimised and runs the benchmarks
#   tools/kelani.sh package  builds optimised and makes the Debian packages in build-package/
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-multimedia-dev qt6-websockets-dev libgl-dev qt6-qpa-plugins
  libjpeg-dev liblhasa-dev libssl-dev zlib1g-dev
  libcpp-httplib-dev libboost-dev libsqlite3-dev sqlite3 libpq-dev postgresql nginx openssl
  libgtest-dev libgmock-dev libbenchmark-dev
  dpkg-dev file appstream man-db desktop-file-utils
  fonts-comic-neue fonts-liberation2 fonts-dejavu-core
  xvfb xauth poppler-utils
  qt6-translations-l10n
  at-spi2-core python3-pyatspi dbus-x11 xdotool orca speech-dispatcher
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The core's files compile alike in every build folder: ccache makes the second compile a copy.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build() { # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

case "${1:-}" in
  play)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release -DKELANI_TESTS=OFF -DKELANI_BENCH=OFF
    if [ -x build/bin/kelani ]; then
      exec build/bin/kelani
    else
      exec build/bin/kelanitool selfplay --variant 5 --stones 4 --head 1 --level1 2 --level2 3 --games 5
    fi
    ;;
  test)
    install_missing
    # Qt and fontconfig keep caches until exit: not our leaks (ours are still reported).
    export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
    export QT_QPA_PLATFORM=offscreen
    # The core builds and passes its tests without Qt, as the folder table claims.
    build build-core -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELANI_SANITIZE=ON -DKELANI_BENCH=ON -DKELANI_GUI=OFF
    ctest --test-dir build-core --output-on-failure -j"$(nproc)" --timeout 600
    build build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELANI_SANITIZE=ON -DKELANI_BENCH=ON
    ctest --test-dir build-test --output-on-failure -j"$(nproc)" --timeout 600
    ;;
  bench)
    install_missing
    build build-bench -DCMAKE_BUILD_TYPE=Release -DKELANI_TESTS=OFF -DKELANI_BENCH=ON
    # Some benchmarks open windows: draw them offscreen, as the tests do, so no display is needed.
    export QT_QPA_PLATFORM=offscreen
    for b in build-bench/bench/*; do [ -x "$b" ] && "$b"; done
    ;;
  package)
    install_missing
    build build-package -DCMAKE_BUILD_TYPE=Release -DKELANI_TESTS=OFF -DKELANI_BENCH=OFF
    (cd build-package && cpack -G DEB)
    ls build-package/*.deb
    ;;
  *)
    echo "usage: tools/kelani.sh play|test|bench|package" >&2
    exit 2
    ;;
esac
