#!/usr/bin/env bash
# Sent-number history benchmark under Wine: vesmo.exe started in folders whose SentNum.VMO
# holds 0 (an empty file), 20,000, 200,000 and 2,000,000 numbers (24 MB), and "Sänd" pressed
# in each for new numbers: start to window, and click to the number recorded and its tones
# queued. Prints the medians; no pass or fail.
#   scripts/bench-history.sh [RUNS [SENDS]]
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
cd "$(dirname "$0")/.."
scripts/deps.sh bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vesmo vesmo-history-bench -j "$(nproc)" >/dev/null
source scripts/wine-env.sh
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
folders=()
for lines in 0 20000 200000 2000000; do
  mkdir "$work/$lines-lines"
  # Ten-digit numbers in the order sent, each line ended in CR LF as Vesmo writes them.
  if [ "$lines" -gt 0 ]; then seq 1000000000 $((1000000000 + lines - 1)); fi |
    sed 's/$/\r/' >"$work/$lines-lines/SentNum.VMO"
  folders+=("Z:$work/$lines-lines")
done
wine build/win64/bench/win/vesmo-history-bench.exe "${1:-7}" "${2:-5}" "Z:$PWD/build/win64/ui/vesmo.exe" "${folders[@]}"
