#!/usr/bin/env bash
# Installs the Debian packages a script needs when any is missing.
#   scripts/deps.sh run         what building and starting the program needs
#   scripts/deps.sh release     that, plus what building the packages needs
#   scripts/deps.sh fuzz        the fuzzers' compiler and sanitizer runtime (scripts/fuzz.sh)
#   scripts/deps.sh screenshot  run's, plus a virtual display and ImageMagick (scripts/screenshot.sh)
#   scripts/deps.sh bench       run's, plus a virtual display (scripts/bench-startup.sh, bench-history.sh)
#   scripts/deps.sh sound-bench bench's, plus the sound servers, multimon-ng and what the Windows
#                               test library builds with (scripts/bench-sound.sh)
#   scripts/deps.sh test        all of that, plus everything the tests and benchmarks use, and
#                               the Debian root with 32-bit Wine that the i686 build's tests run
#                               in (scripts/wine32-root.sh: made once, outside the checkout) and
#                               the clean Debian 12 and 13 roots that the Debian package is
#                               installed in (scripts/deb-roots.sh)
set -euo pipefail

run_packages=(cmake make g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
              binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 fonts-wine)
fuzz_packages=(clang libclang-rt-14-dev)
display_packages=(xvfb)
screenshot_packages=("${display_packages[@]}" imagemagick)
# The Debian package takes vesmo-tones from the host build, whose configuring needs the
# libraries of its tests and benchmarks.
release_packages=(nsis dpkg-dev imagemagick googletest libgtest-dev libbenchmark-dev libspandsp-dev
                  "${fuzz_packages[@]}")
sound_packages=(googletest multimon-ng pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon)
test_packages=("${release_packages[@]}" "${screenshot_packages[@]}" "${sound_packages[@]}"
               sox libxml2-utils lintian desktop-file-utils appstream)
# What makes the root of 32-bit Wine; everything the tests use in it is installed in it.
test_packages+=(debootstrap)

mode=${1:-test}
case $mode in
  run) wanted=("${run_packages[@]}") ;;
  release) wanted=("${run_packages[@]}" "${release_packages[@]}") ;;
  fuzz) wanted=("${fuzz_packages[@]}") ;;
  screenshot) wanted=("${run_packages[@]}" "${screenshot_packages[@]}") ;;
  bench) wanted=("${run_packages[@]}" "${display_packages[@]}") ;;
  sound-bench) wanted=("${run_packages[@]}" "${display_packages[@]}" "${sound_packages[@]}") ;;
  test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: deps.sh run|release|fuzz|screenshot|bench|sound-bench|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = test ]; then
  $sudo env VESMO_WINE32_ROOT="${VESMO_WINE32_ROOT:-}" "$(dirname "$0")/wine32-root.sh" make
  $sudo env VESMO_DEB_ROOTS="${VESMO_DEB_ROOTS:-}" "$(dirname "$0")/deb-roots.sh" make
fi
