#!/usr/bin/env bash
# Starts Vesmo under Xvfb and Wine and saves a picture of each of its windows into
# docs/screenshots (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
mkdir -p "$out"
scripts/deps.sh test
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vesmo vesmo_ui_tests -j "$(nproc)" >/dev/null
source scripts/wine-env.sh
trap wine_env_stop EXIT
VESMO_SCREENSHOT_DIR="Z:$out" wine build/win64/tests/win/vesmo_ui_tests.exe --gtest_filter='Screenshots.*'
ls "$out"
