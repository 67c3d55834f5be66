#!/usr/bin/env bash
# Builds Vesmo and starts it under Wine. The speed dials and the sent-number history are
# kept in the folder this is started from, as the program keeps them in its current folder.
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "vesmo: $*"; }
"$root/scripts/deps.sh" run
say "building build/win64/ui/vesmo.exe (the first build takes a while)"
(cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 --target vesmo -j "$(nproc)" >/dev/null)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "vesmo: no display to show the window on (DISPLAY is not set); built $root/build/win64/ui/vesmo.exe" >&2
  exit 1
fi
# The user's own prefix and sound setup, given the fonts the windows are drawn with.
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  say "making the Wine prefix $prefix (once, about 10 seconds)"
  WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1 || true
fi
"$root/scripts/wine-fonts" "$prefix"
say "starting Vesmo; its numbers are kept in $PWD"
exec wine "$root/build/win64/ui/vesmo.exe"
