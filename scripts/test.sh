#!/usr/bin/env bash
# Builds everything and runs every test: the host tests (synthesis, file formats, tools,
# fuzzers), then the Windows tests under Wine with a virtual display and captured sound
# (through an ALSA device that writes a file, and through a private PulseAudio server and a
# private PipeWire).
#   scripts/test.sh              everything once
#   scripts/test.sh --repeat N   builds and runs the host tests once, then the Windows tests
#                                N times, stopping at the first run that fails
set -euo pipefail
cd "$(dirname "$0")/.."

repeat=1
case "${1:-}" in
  "") ;;
  --repeat)
    repeat=${2:-}
    if ! [[ $repeat =~ ^[1-9][0-9]*$ ]]; then
      echo "usage: scripts/test.sh [--repeat N]   (N: how many times the Windows tests run)" >&2
      exit 2
    fi ;;
  *) echo "usage: scripts/test.sh [--repeat N]" >&2; exit 2 ;;
esac

scripts/deps.sh test

jobs=$(nproc)
for preset in native win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# The packages a user downloads, which the Windows tests unpack and install.
scripts/release.sh >/dev/null

status=0
ctest --preset native || status=1

source scripts/wine-env.sh
pulse_start
pipewire_start
for run in $(seq "$repeat"); do
  [ "$repeat" -gt 1 ] && echo "== Windows tests, run $run of $repeat"
  # Each run listens to capture files of its own.
  rm -f "$VESMO_CAPTURE" "$VESMO_CAPTURE".[0-9][0-9][0-9][0-9]
  if ! ctest --preset win64; then
    status=1
    [ "$repeat" -gt 1 ] && echo "== the Windows tests failed in run $run of $repeat" >&2
    break
  fi
done
[ "$repeat" -gt 1 ] && [ $status -eq 0 ] && echo "== the Windows tests passed $repeat runs of $repeat"
exit $status
