#!/usr/bin/env bash
# Builds everything and runs every test: the host tests (synthesis, file formats, tools,
# fuzzers), then the Windows tests under Wine with a virtual display and captured sound
# (through an ALSA device that writes a file, and through a private PulseAudio server).
set -euo pipefail
cd "$(dirname "$0")/.."
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
trap wine_env_stop EXIT
pulse_start
ctest --preset win64 || status=1
exit $status
