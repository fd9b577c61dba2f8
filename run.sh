#!/usr/bin/env bash
# One entry point for newcomers and CI:
#   ./run.sh demo            build what is needed and run the command-line client
#   ./run.sh test [preset]   build and run the tests (default: native, then windows if available)
#   ./run.sh soak [seconds]  start, browse, define, read, write and stop one client again and again (default
#                            30 s); fails when memory or objects grow
#   ./run.sh package         install the library and build the host example against it, natively;
#                            make the Windows ZIP and run its programs and the example under Wine
#   ./run.sh fuzz [seconds]  build the libFuzzer targets and run each on a copy of its seed corpus
#                            (30 seconds each by default); fails on any crash, leak or timeout
#   ./run.sh deps            install the Debian packages the project needs
set -euo pipefail
cd "$(dirname "$0")"

NATIVE_PACKAGES=(cmake ninja-build g++ clang libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev nlohmann-json3-dev)
# wine64 is the loader; wine puts wine and wineserver on the PATH.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 wine)
# libFuzzer and the sanitizer runtimes of clang.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
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

PACKAGE_DIR=build/package
MINGW_OBJDUMP=x86_64-w64-mingw32-objdump

# Every excerpt of the user guide whose first line names its source
# ("// From <file>" or "# From <file>") must appear in that file as it stands,
# so that the guide shows code CI compiles.
check_guide_excerpts() {
  local guide=$1 dir n source status=0
  dir=$(mktemp -d)
  awk -v dir="$dir" '
    /^```/ { if (inside) { inside = 0; out = "" } else { inside = 1; first = 1 }; next }
    inside && first {
      first = 0
      if (match($0, /^(\/\/|#) From /)) { out = dir "/" ++k; print k, substr($0, RLENGTH + 1) >(dir "/list") }
      next
    }
    inside && out != "" { print >out }
  ' "$guide"
  touch "$dir/list"
  while read -r n source; do
    if ! tr '\n' '\001' <"$source" | grep -qF -e "$(tr '\n' '\001' <"$dir/$n")"; then
      echo "$guide: excerpt $n differs from $source" >&2
      status=1
    fi
  done <"$dir/list"
  rm -rf "$dir"
  return $status
}

# A program of the Windows archive may import only what Windows itself
# provides, and the archive's own DLL: the toolchain links the compiler's
# runtime statically.
check_imports() {
  local file dll status=0
  for file in "$@"; do
    while read -r dll; do
      case "${dll,,}" in
        kernel32.dll | user32.dll | advapi32.dll | ole32.dll | oleaut32.dll | msvcrt.dll | api-ms-win-*.dll) ;;
        vemdcnopcclient.dll) ;;
        *) echo "$file imports $dll, which Windows does not provide" >&2; status=1 ;;
      esac
    done < <("$MINGW_OBJDUMP" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
  done
  return $status
}

# The native package: installed from the default build tree, with the host
# example built against the installed files only (and the build tree's
# simulator as its server).
package_native() {
  local prefix=$PACKAGE_DIR/native host=$PACKAGE_DIR/host-native errors
  build_preset default --target VEMDcnOpcClient opcclient
  rm -rf "$prefix"
  cmake --install build/default --prefix "$prefix" >/dev/null
  echo "== installed opcclient"
  "$prefix/bin/opcclient" --version
  cmake -S examples/host -B "$host" -G Ninja -DCMAKE_PREFIX_PATH="$PWD/$prefix" \
        -Dopcsim_DIR="$PWD/build/default/opcsim" >/dev/null
  cmake --build "$host" -j "$JOBS"
  echo "== host example against the installed package"
  "$host/host"
  # A server that does not exist: the error object's message reaches the host.
  errors=$(mktemp)
  if "$host/host" --server Missing.Server.1 >/dev/null 2>"$errors"; then
    echo "host: started a client on a server that does not exist" >&2
    exit 1
  fi
  grep -q "starting the client failed (0x[0-9A-F]*): .*Missing.Server.1" "$errors" || { cat "$errors" >&2; exit 1; }
  echo "A missing server is reported: $(cat "$errors")"
  rm -f "$errors"
}

# The Windows ZIP, from the optimised windows build: unpacked, checked, its
# opcclient.exe run, and the host example built against it, under Wine.
package_windows() {
  local archives=build/windows-release/package zip unpacked host=$PACKAGE_DIR/host-windows status=0
  cmake --preset windows-release >/dev/null
  cmake --build --preset windows-release -j "$JOBS"
  rm -f "$archives"/*.zip
  cpack --preset windows-release >/dev/null
  zip=$(echo "$PWD/$archives"/VEMDcnOpcClient-*-win64.zip)
  echo "Windows archive: $zip"
  rm -rf "$PACKAGE_DIR/windows"
  mkdir -p "$PACKAGE_DIR/windows"
  (cd "$PACKAGE_DIR/windows" && cmake -E tar xf "$zip")
  unpacked=$(echo "$PACKAGE_DIR"/windows/VEMDcnOpcClient-*-win64)
  check_imports "$unpacked"/bin/*.exe "$unpacked"/bin/*.dll

  # A cross build finds packages only below its root path: name the package's folder.
  cmake -S examples/host -B "$host" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DVEMDcnOpcClient_DIR="$PWD/$unpacked/lib/cmake/VEMDcnOpcClient" \
        -Dopcsim_DIR="$PWD/build/windows-release/opcsim" >/dev/null
  # Linked afresh, so that the DLL beside it is the archive's.
  rm -f "$host/host.exe"
  cmake --build "$host" -j "$JOBS"
  check_imports "$host/host.exe"

  # One Wine prefix, the example build tree's, for both programs.
  cmake/wine-runner.sh --start "$host"
  echo "== opcclient.exe status, from the unpacked archive"
  WINEPREFIX="$PWD/$host/wineprefix" cmake/wine-runner.sh "$unpacked/bin/opcclient.exe" status || status=$?
  if [ $status -eq 0 ]; then
    echo "== host.exe, built against the unpacked archive"
    cmake/wine-runner.sh "$host/host.exe" || status=$?
  fi
  cmake/wine-runner.sh --stop "$host"
  return $status
}

# Every fuzz target for a bounded time, on a copy of its seed corpus (the
# repository's seeds stay as they are). A crash, leak, timeout or failed
# property stops a target with a non-zero status and leaves the input in
# build/fuzz/artifacts.
run_fuzzers() {
  local seconds=$1 dir=build/fuzz target what corpus log status=0 passed=0 failed=0
  build_preset fuzz
  mkdir -p "$dir/artifacts"
  for target in "$dir"/fuzz/*_fuzz; do
    what=$(basename "$target" _fuzz)
    corpus=$dir/corpus/$what
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp fuzz/"$what"/* "$corpus"/
    log=$dir/$what.log
    echo "== ${what}_fuzz, $seconds s"
    if "$target" "$corpus" -max_total_time="$seconds" -detect_leaks=1 -timeout=10 -rss_limit_mb=2048 \
         -print_final_stats=1 -artifact_prefix="$dir/artifacts/${what}-" >"$log" 2>&1; then
      passed=$((passed + 1))
      grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb):" "$log" || true
    else
      failed=$((failed + 1))
      status=1
      tail -n 60 "$log"
    fi
  done
  echo "fuzz: $passed passed, $failed failed"
  return $status
}

case "${1:-test}" in
  deps)
    install_packages "${NATIVE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
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
  soak)
    install_packages "${NATIVE_PACKAGES[@]}"
    build_preset default --target client_soak
    ./build/default/bench/client_soak "${2:-30}"
    ;;
  package)
    install_packages "${NATIVE_PACKAGES[@]}"
    check_guide_excerpts docs/user-guide.md
    package_native
    if windows_available; then
      install_packages "${WINDOWS_PACKAGES[@]}"
      package_windows
    fi
    ;;
  fuzz)
    install_packages "${NATIVE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    run_fuzzers "${2:-30}"
    ;;
  *)
    echo "usage: $0 {demo|test [preset]|soak [seconds]|package|fuzz [seconds]|deps}" >&2
    exit 2
    ;;
esac
