#!/usr/bin/env bash
# Start-up benchmark under Wine: Vesmo beside Wine's own notepad.exe, started the same
# way in the same run; then the executables' sizes and the DLLs they import.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target vesmo vesmo-startup-bench -j "$(nproc)" >/dev/null
done
source scripts/wine-env.sh
trap wine_env_stop EXIT
work=$(mktemp -d)
wine build/win64/bench/win/vesmo-startup-bench.exe "${1:-15}" "Z:$work" \
  "Z:$PWD/build/win64/ui/vesmo.exe" 'C:\windows\notepad.exe'
rm -rf "$work"
for arch in win64 win32; do
  exe=build/$arch/ui/vesmo.exe
  triple=$([ $arch = win64 ] && echo x86_64-w64-mingw32 || echo i686-w64-mingw32)
  printf '%s: %s bytes; imports: %s\n' "$exe" "$(stat -c %s "$exe")" \
    "$($triple-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | sort | tr '\n' ' ')"
done
