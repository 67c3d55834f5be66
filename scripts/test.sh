#!/usr/bin/env bash
# Builds everything and runs every test: the host tests (synthesis, file formats, tools,
# fuzzers), then the Windows tests under Wine with a virtual display and captured sound
# (through an ALSA device that writes a file, and through a private PulseAudio server and a
# private PipeWire).
# The Windows tests run twice: the x86-64 build's here, then the i686 build's under 32-bit
# Wine, in the Debian root that scripts/deps.sh makes for it (scripts/wine32-root.sh).
#   scripts/test.sh              everything once
#   scripts/test.sh --repeat N   builds and runs the host tests once, then each build's
#                                Windows tests N times, stopping at the first run that fails
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
cd "$(dirname "$0")/.."

usage() { echo "usage: scripts/test.sh [--repeat N]   (N: how many times the Windows tests run)" >&2; exit 2; }
repeat=1
# Set in the 32-bit root: only the Windows tests of that build, in the Wine found there.
windows_only=
while [ $# -gt 0 ]; do
  case $1 in
    --repeat)
      repeat=${2:-}
      [[ $repeat =~ ^[1-9][0-9]*$ ]] || usage
      shift 2 ;;
    --windows-only)
      windows_only=${2:-}
      [ -n "$windows_only" ] || usage
      shift 2 ;;
    *) usage ;;
  esac
done
windows_preset=${windows_only:-win64}

status=0
if [ -z "$windows_only" ]; then
  scripts/deps.sh test

  jobs=$(nproc)
  for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
  done

  # The packages a user downloads, which the Windows tests unpack and install.
  scripts/release.sh >/dev/null

  ctest --preset native || status=1
fi

source scripts/wine-env.sh
pulse_start
pipewire_start
for run in $(seq "$repeat"); do
  [ "$repeat" -gt 1 ] && echo "== Windows tests of $windows_preset, run $run of $repeat"
  # Each run listens to capture files of its own.
  rm -f "$VESMO_CAPTURE" "$VESMO_CAPTURE".[0-9][0-9][0-9][0-9]
  if ! ctest --preset "$windows_preset"; then
    status=1
    [ "$repeat" -gt 1 ] && echo "== the Windows tests of $windows_preset failed in run $run of $repeat" >&2
    break
  fi
done
[ "$repeat" -gt 1 ] && [ $status -eq 0 ] && echo "== the Windows tests of $windows_preset passed $repeat runs of $repeat"

if [ -z "$windows_only" ]; then
  wine_env_stop
  # The same tests of the i686 build, in the root with 32-bit Wine.
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo env VESMO_WINE32_ROOT="${VESMO_WINE32_ROOT:-}" \
    scripts/wine32-root.sh run . scripts/test.sh --windows-only win32 --repeat "$repeat" || status=1
  # The Debian package as Debian's tools judge it, and as a user meets it in Debian 12 and 13.
  tests/deb/lint.sh build/release/vesmo_*.deb || status=1
  $sudo env VESMO_DEB_ROOTS="${VESMO_DEB_ROOTS:-}" scripts/deb-roots.sh test build/release/vesmo_*.deb || status=1
fi
exit $status
