#!/bin/bash
# The zips as a user meets them: exactly the Vesmo folder's three files, executables of the
# zip's architecture that need no DLL beyond Windows' own, a Swedish LÄSMIG.txt for Notepad;
# the folder of the test program's architecture (ARCH: win32 or win64) unpacked and used as it
# stands. And SHA256SUMS matches the packages (the zips, the installers and the Debian package).
#   zips.sh RELEASE_DIR vesmo_install_tests.exe NATIVE_VESMO_TONES OBJDUMP ARCH
set -u
release=$1
test_exe=$2
native_tones=$3
objdump=$4
used_arch=$5
work=$(mktemp -d "${TMPDIR:-/tmp}/vesmo-zips.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
export LC_ALL=C.UTF-8
# The Windows name of a Unix path: Wine's drive Z: is the root folder. Worked out here rather
# than asked of winepath, a Wine program whose start can fail and leave an error text behind.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

zip64=$(ls "$release"/vesmo-*-win64.zip 2>/dev/null | head -n 1)
[ -f "$zip64" ] || { echo "FAIL: no packages in $release (scripts/release.sh writes them)" >&2; exit 1; }
version=$(basename "$zip64" | sed 's/^vesmo-\(.*\)-win64\.zip$/\1/')

packages=$(printf '%s\n' "vesmo-$version-setup-x64.exe" "vesmo-$version-setup-x86.exe" "vesmo_${version}_amd64.deb" \
  "vesmo-$version-win32.zip" "vesmo-$version-win64.zip" | sort)
[ "$(awk '{print $2}' "$release/SHA256SUMS" | sort)" = "$packages" ] || fail "SHA256SUMS does not list the five packages"
(cd "$release" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match the packages"

entries=$(printf '%s\n' Vesmo/ Vesmo/LÄSMIG.txt Vesmo/vesmo-tones.exe Vesmo/vesmo.exe | sort)
while read -r arch format; do
  zip=$release/vesmo-$version-$arch.zip
  [ "$(cmake -E tar tf "$zip" | sort)" = "$entries" ] || fail "$arch zip holds: $(cmake -E tar tf "$zip" | tr '\n' ' ')"
  mkdir "$work/$arch"
  (cd "$work/$arch" && cmake -E tar xf "$zip") || { fail "cannot unpack $zip"; continue; }
  for exe in vesmo.exe vesmo-tones.exe; do
    file=$work/$arch/Vesmo/$exe
    "$objdump" -f "$file" | grep -q "file format $format\$" || fail "$arch $exe is not $format"
    dlls=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
    [ -n "$dlls" ] || fail "$arch $exe: no imports read"
    for dll in $dlls; do
      case $dll in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | shell32.dll | winmm.dll | advapi32.dll | msvcrt.dll) ;;
        *) fail "$arch $exe imports $dll, which is not part of Windows" ;;
      esac
    done
  done
  readme=$work/$arch/Vesmo/LÄSMIG.txt
  [ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$arch LÄSMIG.txt has no UTF-8 byte-order mark"
  [ "$(tr -cd '\n' <"$readme" | wc -c)" = "$(grep -c $'\r$' "$readme")" ] && [ "$(tail -c 2 "$readme" | od -An -c | tr -d ' ')" = '\r\n' ] ||
    fail "$arch LÄSMIG.txt: not every line ends in CR LF"
  grep -q "Vesmo $version" "$readme" && grep -q '%APPDATA%\\Vesmo' "$readme" || fail "$arch LÄSMIG.txt lacks the version or the data folder"
done <<'ZIPS'
win32 pei-i386
win64 pei-x86-64
ZIPS

# The unpacked folder, used as it stands: Vesmo keeps its numbers beside itself...
portable=$work/$used_arch/Vesmo
VESMO_PORTABLE_DIR=$(windows_path "$portable") wine "$test_exe" --gtest_brief=1 '--gtest_filter=Portable.*' </dev/null ||
  fail "the unpacked Vesmo"

# ...and its vesmo-tones writes the host build's bytes, to a file and to standard output.
tones=$portable/vesmo-tones.exe
"$native_tones" --ms 48 "0123456789*#ABCD" "$work/host.wav"
wine "$tones" --ms 48 "0123456789*#ABCD" "$(windows_path "$work/windows.wav")" </dev/null ||
  fail "vesmo-tones.exe writing a file exited with $?"
cmp -s "$work/host.wav" "$work/windows.wav" || fail "vesmo-tones.exe wrote other bytes than the host's vesmo-tones"
"$native_tones" --key --ms 100 "#" "$work/host-key.wav"
wine "$tones" --key --ms 100 "#" - </dev/null >"$work/windows-key.wav" ||
  fail "vesmo-tones.exe writing to standard output exited with $?"
cmp -s "$work/host-key.wav" "$work/windows-key.wav" || fail "vesmo-tones.exe wrote other bytes to standard output"
help=$(wine "$tones" --help </dev/null) || fail "vesmo-tones.exe --help exited with $?"
case $help in "usage: vesmo-tones "*) ;; *) fail "vesmo-tones.exe --help printed: $help" ;; esac
exit $status
