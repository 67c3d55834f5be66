#!/usr/bin/env bash
# Two clean Debian roots, Debian 12 (Wine 8) and Debian 13 (Wine 10), in which the Debian
# package is installed and used as a user meets it (tests/deb/user_test.sh). Made once per
# machine outside the checkout (scripts/debian-root.sh), with what the package needs and what
# the test drives it with; the package itself is installed anew in every run.
#   VESMO_DEB_ROOTS   the folder of the roots (default /var/cache/vesmo)
#
#   scripts/deb-roots.sh make       makes the roots, or adds what they lack
#   scripts/deb-roots.sh test DEB   the test in each root, with this checkout mounted at its path
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
roots=${VESMO_DEB_ROOTS:-/var/cache/vesmo}
suites=(bookworm trixie)
# The package's dependencies and recommendations; a display, a way to type into it and to take
# its picture, and a window manager and a notification area as a desktop has; the DTMF decoder.
packages=(wine wine64 fonts-wine pulseaudio pulseaudio-utils libnotify-bin xvfb xdotool x11-utils x11-apps openbox
          trayer multimon-ng)

case ${1:-} in
  make)
    for suite in "${suites[@]}"; do
      "$here/scripts/debian-root.sh" make "$roots/deb-$suite-root" "$suite" "${packages[@]}"
    done ;;
  test)
    [ $# -eq 2 ] || { echo "usage: deb-roots.sh test DEB" >&2; exit 2; }
    deb=$(readlink -f "$2")
    case $deb in "$here"/*) ;; *) echo "deb-roots: $deb is not in $here" >&2; exit 2 ;; esac
    status=0
    for suite in "${suites[@]}"; do
      echo "== the Debian package in Debian's $suite"
      "$here/scripts/debian-root.sh" run "$roots/deb-$suite-root" "$here" tests/deb/user_test.sh "$deb" || status=1
    done
    exit $status ;;
  *) echo "usage: deb-roots.sh make | test DEB" >&2; exit 2 ;;
esac
