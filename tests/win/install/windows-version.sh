#!/bin/bash
# The oldest Windows Vesmo runs on, the same everywhere: the executables of both zips say it in
# their headers and import no function that Windows lacks (windows-functions.txt: every function
# they import, with the Windows it first came with), the installer checks for it, and README.md,
# LÄSMIG.txt and the manifest name it.
#   windows-version.sh RELEASE_DIR OBJDUMP MAJOR MINOR SOURCE_DIR
set -u
release=$(cd "$1" && pwd)
objdump=$2
major=$3
minor=$4
source=$5
table=$source/tests/win/install/windows-functions.txt
work=$(mktemp -d "${TMPDIR:-/tmp}/vesmo-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
export LC_ALL=C.UTF-8

# Windows by the names the table uses, its version, and what the installer's WinVer.nsh, the
# texts and the manifest call it.
version_of() {
  case $1 in
    NT4) echo 4.0 ;; 2000) echo 5.0 ;; XP) echo 5.1 ;; XP-x64 | Win32) echo 5.2 ;; Vista) echo 6.0 ;;
    7) echo 6.1 ;; 8) echo 6.2 ;; 8.1) echo 6.3 ;; 10) echo 10.0 ;; *) return 1 ;;
  esac
}
minimum=$major.$minor
case $minimum in
  6.0) name=Vista manifest_id=e2011457-1546-43c5-a5fe-008deee3d3f0 ;;
  6.1) name=7 manifest_id=35138b9a-5d96-4fbd-8e2d-a2440225f93a ;;
  *) echo "FAIL: no name known for Windows $minimum" >&2; exit 1 ;;
esac
newer() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, "."); split(b, y, "."); exit !(x[1] > y[1] || (x[1] == y[1] && x[2] > y[2])) }'; }

zips=("$release"/vesmo-*-win32.zip "$release"/vesmo-*-win64.zip)
[ ${#zips[@]} = 2 ] && [ -f "${zips[0]}" ] && [ -f "${zips[1]}" ] ||
  { echo "FAIL: not both zips in $release (scripts/release.sh writes them)" >&2; exit 1; }
for zip in "${zips[@]}"; do
  arch=$(basename "$zip" .zip | sed 's/.*-//')
  mkdir "$work/$arch"
  (cd "$work/$arch" && cmake -E tar xf "$zip") || { fail "cannot unpack $zip"; continue; }
  for exe in vesmo.exe vesmo-tones.exe; do
    file=$work/$arch/Vesmo/$exe
    header=$("$objdump" -p "$file")
    for field in OSystem Subsystem; do
      said=$(echo "$header" | awk -v f="$field" '$1 == "Major" f "Version" { M = $2 } $1 == "Minor" f "Version" { m = $2 } END { print M "." m }')
      [ "$said" = "$minimum" ] || fail "$arch $exe says in its header ($field version) that it needs Windows $said, not $minimum"
    done
    # An import's row, as binutils before 2.40 prints it ("vma  Hint/Ord  Member-Name") and
    # as later ones do ("vma  Ordinal  Hint  Member-Name").
    imports=$(echo "$header" | awk '
      /DLL Name:/ { dll = tolower($3); next }
      dll == "" { next }
      /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll, $3; next }
      /^\t[0-9a-f]+ +[^ ]+ +[0-9a-f]+ +[^ ]/ { print dll, $4 }')
    [ -n "$imports" ] || fail "$arch $exe: no imports read"
    while read -r dll function; do
      first=$(awk -v d="$dll" -v f="$function" '$1 == d && $2 == f { print $3 }' "$table")
      if [ -z "$first" ]; then
        fail "$arch $exe imports $function from $dll, which windows-functions.txt does not list: add it with the Windows it came with"
      elif [ "$first" != crt ]; then
        came=$(version_of "$first") || { fail "windows-functions.txt: $function: no Windows called $first"; continue; }
        newer "$came" "$minimum" && fail "$arch $exe imports $function from $dll, which came with Windows $first ($came), after Windows $name ($minimum)"
      fi
    done <<<"$imports"
  done
  readme=$work/$arch/Vesmo/LÄSMIG.txt
  grep -q "Windows $name och senare" "$readme" || fail "$arch LÄSMIG.txt does not name Windows $name as the oldest"
done
grep -q "runs on Windows $name and later" "$source/README.md" || fail "README.md does not name Windows $name as the oldest"
grep -q "\${AtLeastWin$name}" "$source/packaging/vesmo.nsi" || fail "the installer does not check for Windows $name"
grep -q "$manifest_id" "$source/ui/resources/vesmo.manifest.in" || fail "the manifest does not list Windows $name"
exit $status
