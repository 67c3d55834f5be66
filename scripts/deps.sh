#!/usr/bin/env bash
# Installs the Debian packages a build needs when any is missing.
#   scripts/deps.sh run      what building and starting the program needs
#   scripts/deps.sh release  that, plus what building the packages needs
#   scripts/deps.sh test     all of that, plus everything the tests and benchmarks use
set -euo pipefail

run_packages=(cmake make g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
              binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 fonts-wine)
release_packages=(nsis)
test_packages=(googletest libgtest-dev libbenchmark-dev libspandsp-dev xvfb multimon-ng
               sox imagemagick libxml2-utils clang libclang-rt-14-dev pulseaudio pulseaudio-utils
               pipewire pipewire-pulse wireplumber dbus-daemon)

wanted=("${run_packages[@]}")
case ${1:-test} in
  run) ;;
  release) wanted+=("${release_packages[@]}") ;;
  test) wanted+=("${release_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: deps.sh run|release|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
