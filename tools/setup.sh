#!/usr/bin/env bash
# Installs what is missing from Debian, builds, and runs the game or the tests.
#   tools/setup.sh play       install, build, run the game
#   tools/setup.sh test       install, build, run every test
#   tools/setup.sh sanitize   install, build without the tracking memory manager under
#                             AddressSanitizer and UndefinedBehaviorSanitizer, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libpng-dev libjpeg-dev libboost-dev
  liblua5.2-dev libluabind-dev
  libsdl2-dev libsdl2-image-dev
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  libfreetype-dev fonts-dejavu-core fonts-liberation
  libcurl4-openssl-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libopenmpt-dev libvorbis-dev libmpg123-dev
  libx11-dev libxtst-dev xvfb xauth
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j"$(jobs)"
}

run_tests() {
  local dir=$1
  export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  export LIBGL_ALWAYS_SOFTWARE=1
  ctest --test-dir "$dir" --output-on-failure -j"$(jobs)"
}

case "${1:-}" in
  play)
    install_missing
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cd build/bin && exec ./pellavo
    ;;
  test)
    install_missing
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests build
    ;;
  sanitize)
    install_missing
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DPELLAVO_SANITIZE=ON -DPELLAVO_BENCH=OFF
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    run_tests build-asan
    ;;
  *)
    echo "usage: $0 play|test|sanitize" >&2
    exit 2
    ;;
esac
