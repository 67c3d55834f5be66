#!/usr/bin/env bash
# Starts Vesmo under Xvfb and Wine and saves a picture of each of its windows into
# docs/screenshots (or the folder given): NAME.png at 96 DPI, and NAME-144dpi.png at 144 DPI
# (a screen set to 150 %).
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
mkdir -p "$out"
scripts/deps.sh screenshot
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vesmo vesmo_screenshots -j "$(nproc)" >/dev/null

high=$(mktemp -d)
source scripts/wine-env.sh
trap 'wine_env_stop; rm -rf "$high"' EXIT
# scripts/wine-exec gives the run its resolution and puts the prefix back at 96 DPI.
pictures() { VESMO_DPI=$1 scripts/wine-exec build/win64/tests/win/vesmo_screenshots.exe "Z:$2" </dev/null; }
pictures 96 "$out"
pictures 144 "$high"
for picture in "$high"/*.png; do
  cp "$picture" "$out/$(basename "$picture" .png)-144dpi.png"
done
ls "$out"
