#!/usr/bin/env bash
# Starts Vesmo under Xvfb and Wine and saves a picture of each of its windows into
# docs/screenshots (or the folder given), and one of the main window at 144 DPI (a screen
# set to 150 %).
set -euo pipefail
source "$(dirname "$0")/wine-layout.sh"
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
mkdir -p "$out"
scripts/deps.sh test
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vesmo vesmo_screenshots -j "$(nproc)" >/dev/null
pictures() { wine build/win64/tests/win/vesmo_screenshots.exe "Z:$1" </dev/null; }

(
  source scripts/wine-env.sh
  trap wine_env_stop EXIT
  pictures "$out"
)

# In a prefix of its own, so that the test prefix stays at 96 DPI.
(
  export VESMO_WINE_DIR=$PWD/build/wine-144dpi
  source scripts/wine-env.sh
  trap 'wine_env_stop; rm -rf "$high"' EXIT
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  wineserver -k && wineserver -w && wineserver -p && wine cmd /c exit </dev/null >/dev/null 2>&1
  high=$(mktemp -d)
  pictures "$high" >/dev/null
  cp "$high/main-window.png" "$out/main-window-144dpi.png"
)
ls "$out"
