#!/usr/bin/env bash
# A Debian 13 root with 32-bit Wine, in which the i686 build's Windows tests run. The host
# cannot install wine32 (its amd64 security updates conflict with main's i386 packages); a
# root of its own, from the host's own mirror, can. It is Debian 13 so that the suite runs
# under two Wines with no longer run: the x86-64 build under the host's Wine 8, the i686
# build here under Wine 10, the Wine of Debian 13 and of the newer Ubuntus. It lives outside
# the checkout, so that removing build/ does not cost it, and is shared by every checkout here.
#   VESMO_WINE32_ROOT   where it lives (default /var/cache/vesmo/wine32-trixie-root)
#
#   scripts/wine32-root.sh make             makes the root, or adds what it lacks; once it is
#                                           ready, does nothing
#   scripts/wine32-root.sh run DIR CMD...   runs CMD in the root, in DIR (a checkout, mounted at
#                                           the same path so that its builds' paths hold), for
#                                           32-bit Windows (WINEARCH=win32) with the Wine files
#                                           in DIR/build/wine32 (VESMO_WINE_DIR)
#
# scripts/debian-root.sh makes and enters it.
set -euo pipefail

debian_root=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/debian-root.sh
root=${VESMO_WINE32_ROOT:-/var/cache/vesmo/wine32-trixie-root}
# What the Windows tests use: Wine for both architectures and the fonts its windows need, a
# display, the two desktop sound servers and their tools, the DTMF decoder, ImageMagick (for
# pictures of the windows), CTest with CMake's archive tool, and an objdump that reads both
# Windows formats. The 32-bit ALSA library needs the 32-bit plugins: it reads the PulseAudio
# plugin's configuration, and where it cannot load the plugin it opens no device at all.
packages=(wine wine32:i386 wine64 fonts-wine libasound2-plugins:i386 xvfb pulseaudio pulseaudio-utils
          pipewire pipewire-pulse wireplumber dbus-daemon multimon-ng imagemagick cmake binutils)

run() {
  [ $# -ge 2 ] || { echo "usage: wine32-root.sh run DIR CMD..." >&2; exit 2; }
  local dir
  dir=$(cd "$1" && pwd)
  shift
  [ -f "$root/.vesmo-ready" ] || { echo "wine32-root: $root is not ready: scripts/deps.sh test makes it" >&2; exit 2; }
  exec "$debian_root" run "$root" "$dir" env WINEARCH=win32 VESMO_WINE_DIR="$dir/build/wine32" "$@"
}

case ${1:-} in
  make) exec "$debian_root" make "$root" trixie "${packages[@]}" ;;
  run) shift; run "$@" ;;
  *) echo "usage: wine32-root.sh make | run DIR CMD..." >&2; exit 2 ;;
esac
