#!/usr/bin/env bash
# Builds the Debian package vesmo_VERSION_amd64.deb into OUT, from packaging/debian and the
# builds of the presets win64 (vesmo.exe) and native (vesmo-tones), with dpkg's own tools.
#   scripts/deb.sh OUT VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1 version=$2
cd "$root"
debian=$root/packaging/debian
changelog_version=$(dpkg-parsechangelog -l "$debian/changelog" -S Version)
[ "$changelog_version" = "$version" ] || {
  echo "deb: packaging/debian/changelog is for $changelog_version, the project is $version" >&2
  exit 1
}
for preset in win64 native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target vesmo-tones $([ $preset = win64 ] && echo vesmo) -j "$(nproc)" >/dev/null
done

work=$out/deb-work
stage=$work/debian/vesmo
rm -rf "$work"
mkdir -p "$work/debian"
cp "$debian/control" "$debian/changelog" "$work/debian/"
# The same bytes from the same sources: file times from the last change of the changelog.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
substitute() { sed "s/@VERSION@/$version/g" "$1"; }

install -d -m 755 "$stage/DEBIAN" "$stage"/usr/{bin,lib/vesmo,share/{applications,metainfo,man/man1,doc/vesmo}}
install -m 644 build/win64/ui/vesmo.exe "$stage/usr/lib/vesmo/vesmo.exe"
install -m 755 scripts/wine-fonts "$stage/usr/lib/vesmo/wine-fonts"
install -m 644 scripts/wine-start.sh "$stage/usr/lib/vesmo/wine-start.sh"
substitute "$debian/vesmo" >"$stage/usr/bin/vesmo"
chmod 755 "$stage/usr/bin/vesmo"
strip --strip-unneeded --remove-section=.comment --remove-section=.note \
  -o "$stage/usr/bin/vesmo-tones" build/native/vesmo-tones
chmod 755 "$stage/usr/bin/vesmo-tones"
install -m 644 "$debian/vesmo.desktop" "$stage/usr/share/applications/vesmo.desktop"
install -m 644 "$debian/se.vesmo.Vesmo.metainfo.xml" "$stage/usr/share/metainfo/se.vesmo.Vesmo.metainfo.xml"
install -m 644 "$debian/copyright" "$stage/usr/share/doc/vesmo/copyright"
# A native package's Debian changelog is its changelog.
gzip -9n <"$debian/changelog" >"$stage/usr/share/doc/vesmo/changelog.gz"
for page in vesmo.1 vesmo-tones.1; do
  substitute "$debian/$page" | gzip -9n >"$stage/usr/share/man/man1/$page.gz"
done
# The program's own 32-pixel icon at the sizes desktops ask for: whole multiples keep its
# pixels sharp, the smaller sizes are averaged down.
for size in 16 22 24 32 48 64 128 256; do
  dir=$stage/usr/share/icons/hicolor/${size}x$size/apps
  install -d -m 755 "$dir"
  filter=Box
  [ $((size % 32)) -eq 0 ] && filter=Point
  convert ui/resources/telephone.xpm -filter "$filter" -resize "${size}x$size" -strip \
    -define png:exclude-chunks=date,time "$dir/vesmo.png"
  chmod 644 "$dir/vesmo.png"
done
find "$stage" -type f -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

(cd "$work" &&
  dpkg-shlibdeps -Tdebian/substvars debian/vesmo/usr/bin/vesmo-tones &&
  dpkg-gencontrol -pvesmo -Pdebian/vesmo -Tdebian/substvars -fdebian/files)
(cd "$stage" && find usr -type f -printf '%P\n' | LC_ALL=C sort | sed 's|^|usr/|' | xargs md5sum) >"$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$out/vesmo_${version}_amd64.deb" >/dev/null
rm -rf "$work"
