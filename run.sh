#!/usr/bin/env bash
# vxfx in one command on a fresh Debian machine:
#   ./run.sh demo [DIR]   build, then render the demo reel of every effect into DIR (default out/)
#   ./run.sh test         build, then run the test suite
#   ./run.sh test-sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
# Installs what the build needs (g++-multilib, cmake) when it is missing.
set -euo pipefail
cd "$(dirname "$0")"

need_packages() {
  local missing=()
  command -v cmake >/dev/null || missing+=(cmake)
  command -v g++ >/dev/null || missing+=(g++)
  [ -e /usr/lib/gcc/x86_64-linux-gnu/12/32/libstdc++.so ] || \
    ls /usr/lib/gcc/*/*/32/libstdc++.so >/dev/null 2>&1 || missing+=(g++-multilib)
  [ -d /usr/src/googletest ] || missing+=(googletest)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

build() {   # build DIR [cmake options...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

need_packages
case "${1:-}" in
  demo)
    build build
    ./build/host/vxhost demo -o "${2:-out}"
    ;;
  test)
    build build
    ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  test-sanitize)
    build build-sanitize -DVX_SANITIZE=ON
    ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
    ;;
  *)
    echo "usage: ./run.sh demo [DIR] | test | test-sanitize" >&2
    exit 2
    ;;
esac
