#!/bin/sh
# Runs windows-target programs under Wine, headless. ctest uses it as the
# cross-compiling emulator; it also works by hand:
#   wine-runner.sh program.exe [args...]          run the program; its exit code is ours
#   wine-runner.sh --start <build tree> [name]    create the prefix if needed, keep a wineserver up
#   wine-runner.sh --stop <build tree> [name]     stop that wineserver and everything in the prefix
#   wine-runner.sh --in <build tree> <name> program.exe [args...]
#                                                 run the program in that tree's prefix <name>
# A program in a build tree (the nearest directory above it with a CMakeCache.txt)
# runs in <build tree>/wineprefix, so that ctest's runs and runs by hand share
# one prefix whatever the environment says; elsewhere $WINEPREFIX decides. A
# suite that changes the prefix's registry (registered servers and proxies)
# names a prefix of its own, with its own wineserver, so that it cannot touch
# the other tests' COM classes.
set -eu

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No .NET or HTML engine: their install prompts would block a headless run.
# No menu builder: it would write desktop entries into the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

if [ -z "${WINE:-}" ]; then
  WINE=$(command -v wine64 || command -v wine) || { echo "wine-runner: Wine is not installed" >&2; exit 127; }
fi
WINESERVER="${WINESERVER:-wineserver}"

build_tree_of() {
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ]; do
    [ -f "$dir/CMakeCache.txt" ] && { echo "$dir"; return 0; }
    dir=$(dirname "$dir")
  done
  return 1
}

prefix_of_tree() {
  [ -f "${1:-}/CMakeCache.txt" ] || { echo "wine-runner: ${1:-(none)} is not a build tree" >&2; exit 2; }
  # Wine takes only an absolute prefix.
  WINEPREFIX="$(cd "$1" && pwd)/${2:-wineprefix}"
  export WINEPREFIX
}

case "${1:-}" in
  --start)
    prefix_of_tree "${2:-}" "${3:-}"
    mkdir -p "$WINEPREFIX"
    log="$WINEPREFIX/start.log"
    # The server and the services stay up after this script: they must not hold
    # its output open, or ctest would wait for them.
    # Persistent, so tests do not pay Wine's start-up each; the timeout ends it
    # should the --stop never come (an interrupted run).
    "$WINESERVER" -p600 >"$log" 2>&1 </dev/null || { cat "$log" >&2; exit 1; }
    # Creates the prefix on first use; later only starts its services.
    "$WINE" cmd /c exit >>"$log" 2>&1 </dev/null || { cat "$log" >&2; exit 1; }
    ;;
  --stop)
    prefix_of_tree "${2:-}" "${3:-}"
    "$WINESERVER" -k 2>/dev/null || true
    ;;
  --in)
    [ $# -ge 4 ] || { echo "usage: $0 --in <build tree> <name> program.exe [args...]" >&2; exit 2; }
    prefix_of_tree "$2" "$3"
    shift 3
    exec "$WINE" "$@"
    ;;
  "")
    echo "usage: $0 program.exe [args...] | --start|--stop <build tree> [name] | --in <build tree> <name> program.exe [args...]" >&2
    exit 2
    ;;
  *)
    if tree=$(build_tree_of "$1"); then
      export WINEPREFIX="$tree/wineprefix"
    elif [ -z "${WINEPREFIX:-}" ]; then
      echo "wine-runner: $1 is not in a build tree; set WINEPREFIX" >&2
      exit 2
    fi
    exec "$WINE" "$@"
    ;;
esac
