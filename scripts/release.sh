#!/usr/bin/env bash
# Builds what a user downloads, into build/release:
#   vesmo-VERSION-win32.zip, vesmo-VERSION-win64.zip   the folder Vesmo/ for portable use
#   vesmo-VERSION-setup-x86.exe, -setup-x64.exe         per-user installers
#   vesmo_VERSION_amd64.deb                             the Debian package (scripts/deb.sh)
#   SHA256SUMS
# VERSION is the project's version, from CMakeLists.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh release

version=$(sed -n 's/^project(Vesmo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
out=$root/build/release
rm -rf "$out"
mkdir -p "$out"
# Names in the packages are UTF-8 (LÄSMIG.txt), whatever the caller's locale.
export LC_ALL=C.UTF-8

# preset | zip name | installer name
while IFS='|' read -r preset zip_arch setup_arch; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target vesmo vesmo-tones -j "$(nproc)" >/dev/null
  stage=$out/stage-$preset/Vesmo
  mkdir -p "$stage"
  cp "build/$preset/ui/vesmo.exe" "build/$preset/vesmo-tones.exe" "$stage/"
  # Notepad on every Windows reads UTF-8 with a byte-order mark; lines end in CR LF.
  { printf '\357\273\277'; sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/LASMIG.txt; } >"$stage/LÄSMIG.txt"
  (cd "$out/stage-$preset" && cmake -E tar cf "$out/vesmo-$version-$zip_arch.zip" --format=zip Vesmo)
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DARCH="$setup_arch" -DSTAGE="$stage" \
    -DICON="$root/ui/resources/telephone.ico" -DOUTFILE="$out/vesmo-$version-setup-$setup_arch.exe" \
    packaging/vesmo.nsi >/dev/null
  rm -rf "$out/stage-$preset"
done <<'PACKAGES'
win32|win32|x86
win64|win64|x64
PACKAGES

scripts/deb.sh "$out" "$version"

(cd "$out" && sha256sum vesmo-*.zip vesmo-*.exe vesmo_*.deb >SHA256SUMS)
ls -l "$out"
