#!/usr/bin/env bash
# One entry point for newcomers and CI:
#   ./run.sh demo            build what is needed and run the command-line client
#   ./run.sh test [preset]   build and run the tests (default: native, then windows if available)
#   ./run.sh deps            install the Debian packages the project needs
set -euo pipefail
cd "$(dirname "$0")"

NATIVE_PACKAGES=(cmake ninja-build g++ clang libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev)
# wine64 is the loader; wine puts wine and wineserver on the PATH.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 wine)
JOBS=${JOBS:-$(nproc)}

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "Installing: $missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS" "$@"
}

test_preset() {
  build_preset "$1"
  ctest --preset "$1" -j "$JOBS"
}

windows_available() {
  [ -f CMakePresets.json ] && grep -q '"name": "windows"' CMakePresets.json
}

case "${1:-test}" in
  deps)
    install_packages "${NATIVE_PACKAGES[@]}"
    windows_available && install_packages "${WINDOWS_PACKAGES[@]}"
    ;;
  demo)
    install_packages "${NATIVE_PACKAGES[@]}"
    # Quiet unless the build fails.
    if ! output=$(build_preset default --target opcclient 2>&1); then
      echo "$output"
      exit 1
    fi
    shift || true
    ./build/default/tools/opcclient/opcclient "${@:-status}"
    ;;
  test)
    shift || true
    install_packages "${NATIVE_PACKAGES[@]}"
    if [ $# -gt 0 ]; then
      [ "$1" = windows ] && install_packages "${WINDOWS_PACKAGES[@]}"
      test_preset "$1"
    else
      test_preset default
      if windows_available; then
        install_packages "${WINDOWS_PACKAGES[@]}"
        test_preset windows
      fi
    fi
    ;;
  *)
    echo "usage: $0 {demo|test [preset]|deps}" >&2
    exit 2
    ;;
esac
