#!/usr/bin/env bash
# Start-up benchmark under Wine: Vesmo beside Wine's own notepad.exe, started the same
# way in the same run, and beside its floor (a program that opens wave device 0, adds a
# notification icon and shows Vesmo's own main-window template with nothing behind it:
# the least any program showing this window does); Vesmo in an empty folder beside Vesmo in
# a folder whose sfile.vmo is 1 GB (a stray file under that name); then the executables'
# sizes and the DLLs they import.
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
cd "$(dirname "$0")/.."
scripts/deps.sh bench
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target vesmo vesmo-startup-bench vesmo-startup-floor -j "$(nproc)" >/dev/null
done
source scripts/wine-env.sh
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
mkdir "$work/empty" "$work/large"
truncate -s 1G "$work/large/sfile.vmo"
vesmo="Z:$PWD/build/win64/ui/vesmo.exe"
wine build/win64/bench/win/vesmo-startup-bench.exe "${1:-15}" "$vesmo" "Z:$work/empty" \
  'C:\windows\notepad.exe' "Z:$work/empty"
floor="\"Z:$PWD/build/win64/bench/win/vesmo-startup-floor.exe\" \"$vesmo\""
wine build/win64/bench/win/vesmo-startup-bench.exe "${1:-15}" "$vesmo" "Z:$work/empty" \
  "$floor" "Z:$work/empty"
wine build/win64/bench/win/vesmo-startup-bench.exe "${1:-15}" "$vesmo" "Z:$work/large" \
  "$vesmo" "Z:$work/empty"
# Wine's working-set figures miss memory the program reads into; Linux's peak resident size
# of the process (three seconds after wine has become the program) does not.
program=$PWD/build/win64/ui/vesmo.exe
for folder in empty large; do
  # The subshell becomes wine, and wine becomes the program: the same process throughout.
  (cd "$work/$folder" && exec wine "$program" >/dev/null 2>&1) &
  started=$!
  for _ in $(seq 300); do [ "$(cat "/proc/$started/comm" 2>/dev/null)" = vesmo.exe ] && break; sleep 0.1; done
  sleep 3
  [ "$(cat "/proc/$started/comm" 2>/dev/null)" = vesmo.exe ] ||
    { echo "bench-startup: process $started is not vesmo.exe (it ended, or wine started it apart)" >&2; exit 1; }
  printf 'vesmo.exe in %-6s peak resident %s\n' "$folder:" "$(awk '/VmHWM/ {print $2, $3}' "/proc/$started/status")"
  kill -9 "$started" 2>/dev/null || true
  wait "$started" 2>/dev/null || true
done
for arch in win64 win32; do
  exe=build/$arch/ui/vesmo.exe
  triple=$([ $arch = win64 ] && echo x86_64-w64-mingw32 || echo i686-w64-mingw32)
  printf '%s: %s bytes; imports: %s\n' "$exe" "$(stat -c %s "$exe")" \
    "$($triple-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | sort | tr '\n' ' ')"
done
